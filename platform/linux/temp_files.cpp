// GetTempPathA and GetTempFileNameA with Win32's naming and return rules.
#include "kernel_internal.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <atomic>

namespace {

constexpr unsigned kTempFileMode = 0600;  // a temporary file is the owner's alone
constexpr UINT kUniqueValues = 0x10000;   // the name carries 16 bits

// TMPDIR when it names a folder, else /tmp; always with the trailing '/'.
std::string TempDirectory(void) {
    const char *tmpdir = getenv("TMPDIR");
    std::string dir = tmpdir && *tmpdir && kernel::IsDirectory(tmpdir) ? tmpdir : "/tmp";
    if (dir.back() != '/') dir += '/';
    return dir;
}

// dir + separator + up to three characters of the prefix + XXXX.TMP
std::string ComposeTempName(const std::string &dir, const char *prefix, UINT unique) {
    std::string name = dir;
    if (!name.empty() && name.back() != '/' && name.back() != '\\') name += '/';
    if (prefix) name.append(prefix, strnlen(prefix, 3));
    char number[16];
    snprintf(number, sizeof(number), "%04X.TMP", unique & 0xFFFFu);
    return name + number;
}

// A starting point that differs between processes and between calls, so that
// concurrent callers rarely try the same names.
UINT FirstUniqueGuess(void) {
    static std::atomic<unsigned> gCalls{0};
    unsigned seed = GetTickCount() ^ (static_cast<unsigned>(getpid()) << 4) ^ (gCalls.fetch_add(1) * 7919u);
    UINT unique = seed & 0xFFFFu;
    return unique ? unique : 1;
}

// Tries every 16-bit number once, from a varying start, until an exclusive
// create succeeds. Returns the number, or 0 with the Win32 error.
UINT CreateUniqueFile(const std::string &dir, const char *prefix, std::string *name) {
    UINT unique = FirstUniqueGuess();
    for (UINT tries = 0; tries < kUniqueValues - 1; tries++) {
        *name = ComposeTempName(dir, prefix, unique);
        int fd = kernel::OpenDescriptor(kernel::NativePath(name->c_str()), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW,
                                        kTempFileMode);
        if (fd >= 0) {
            close(fd);
            return unique;
        }
        if (errno != EEXIST && errno != ELOOP) {
            kernel::SetErrorFromErrnoForPath(errno, kernel::NativePath(name->c_str()));
            return 0;
        }
        unique = unique == 0xFFFF ? 1 : unique + 1;
    }
    SetLastError(ERROR_FILE_EXISTS);
    return 0;
}

}  // namespace

// Returns the length copied without the NUL, or when `size` is too small the
// size needed with the NUL, writing nothing.
WINBASEAPI DWORD GetTempPathA(DWORD size, LPSTR buffer) {
    std::string dir = TempDirectory();
    if (!buffer || dir.size() >= size) return static_cast<DWORD>(dir.size() + 1);
    memcpy(buffer, dir.c_str(), dir.size() + 1);
    return static_cast<DWORD>(dir.size());
}

// `out` must hold MAX_PATH characters. A nonzero `unique` only composes the
// name (its low 16 bits); 0 finds a free number and creates the file.
WINBASEAPI UINT GetTempFileNameA(LPCSTR dir, LPCSTR prefix, UINT unique, LPSTR out) {
    if (!dir || !out) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    // The longest name this can make must fit in MAX_PATH.
    size_t longest = strlen(dir) + 1 + 3 + 8;
    if (longest >= MAX_PATH) {
        SetLastError(ERROR_BUFFER_OVERFLOW);
        return 0;
    }
    std::string name;
    if (unique != 0) {
        name = ComposeTempName(dir, prefix, unique);
    } else {
        unique = CreateUniqueFile(dir, prefix, &name);
        if (unique == 0) return 0;
    }
    memcpy(out, name.c_str(), name.size() + 1);
    return unique;
}
