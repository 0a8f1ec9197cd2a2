#include "spool_folders.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

static const char kFolderPrefix[] = "QRVM";

static unsigned gSpoolSerial;

// The temporary folder with its trailing separator; FALSE when it is too long.
static BOOL TempFolder(char *out, DWORD size) {
    DWORD length = GetTempPathA(size, out);
    return length != 0 && length < size;
}

BOOL CreateSpoolFolder(char *out, size_t size) {
    char tempDir[MAX_PATH];
    if (!TempFolder(tempDir, sizeof tempDir)) return FALSE;
    for (int attempt = 0; attempt < 100; ++attempt) {
        int written = snprintf(out, size, "%s%s%lX-%u", tempDir, kFolderPrefix, (unsigned long)GetCurrentProcessId(),
                               ++gSpoolSerial);
        if (written < 0 || (size_t)written >= size) break;
        if (CreateDirectoryA(out, nullptr)) return TRUE;
    }
    if (size) out[0] = '\0';
    return FALSE;
}

// The process id in a folder name "QRVM<hex>-<decimal>"; FALSE for any other name.
static BOOL OwnerOf(const char *name, DWORD *processId) {
    size_t prefix = sizeof kFolderPrefix - 1;
    if (strncmp(name, kFolderPrefix, prefix) != 0) return FALSE;
    char *dash = nullptr;
    unsigned long id = strtoul(name + prefix, &dash, 16);
    if (dash == name + prefix || *dash != '-' || dash[1] < '0' || dash[1] > '9') return FALSE;
    char *end = nullptr;
    strtoul(dash + 1, &end, 10);
    if (*end != '\0' || id == 0 || id > 0xFFFFFFFFul) return FALSE;
    *processId = (DWORD)id;
    return TRUE;
}

// Only a process known to have ended gives up its folders: one that cannot
// be asked (another user's, say) is taken to run.
static BOOL HasEnded(DWORD processId) {
    if (processId == GetCurrentProcessId()) return FALSE;
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process) return GetLastError() == ERROR_INVALID_PARAMETER;  // no such process
    DWORD code = STILL_ACTIVE;
    BOOL ended = GetExitCodeProcess(process, &code) && code != STILL_ACTIVE;
    CloseHandle(process);
    return ended;
}

void RemoveAbandonedSpoolFolders() {
    char tempDir[MAX_PATH];
    if (!TempFolder(tempDir, sizeof tempDir)) return;
    std::error_code error;
    for (fs::directory_iterator it(tempDir, error), end; !error && it != end; it.increment(error)) {
        // A link is never followed: only a real folder of ours is emptied.
        if (!it->is_directory(error) || it->is_symlink(error)) continue;
        std::string name = it->path().filename().string();
        DWORD owner = 0;
        if (!OwnerOf(name.c_str(), &owner) || !HasEnded(owner)) continue;
        std::string folder = it->path().string();
        DeleteFileA((folder + QR_PATH_SEPARATOR + SPOOL_FILE_NAME).c_str());
        RemoveDirectoryA(folder.c_str());  // left when something else is in it
    }
}
