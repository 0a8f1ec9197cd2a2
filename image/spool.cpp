// The spool file of a received image. Each reception that outgrows its
// memory quota gets a fresh private folder in the temporary folder, created
// exclusively, and one file in it, created exclusively: two processes
// scanning at once never share a file, and nothing that already exists (a
// file or a link planted there) is ever opened. The file is opened to be
// deleted when its handle closes, and written and read back through that one
// handle: it cannot outlive the process, even one that crashes.
#include "spool.h"

#include "afx.h"
#include "startup/spool_folders.h"

#include <stdio.h>
#include <string.h>

static const HFILE kClosed = HFILE_ERROR;

long gMBInMemory;
static HFILE gSpoolFile = kClosed;
static char gSpoolFolder[MAX_PATH];

long MemBlockQuota(TW_UINT32 bytes) {
    TW_UINT32 rounded = (bytes + 31) & ~31u;
    if (rounded == 0) return 0;
    return (long)((1048576u / rounded) / 2);
}

void FreeBlockMemory(MBInfo *info) {
    if (!info->hMem) return;
    while (GlobalUnlock(info->hMem)) {
    }
    GlobalFree(info->hMem);
    info->hMem = nullptr;
}

static BOOL CreateSpoolFile() {
    if (!CreateSpoolFolder(gSpoolFolder, sizeof gSpoolFolder)) return FALSE;
    char fileName[MAX_PATH];
    int written = snprintf(fileName, sizeof fileName, "%s%c" SPOOL_FILE_NAME, gSpoolFolder, QR_PATH_SEPARATOR);
    if (written > 0 && (size_t)written < sizeof fileName) {
        HANDLE file = CreateFileA(fileName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            gSpoolFile = (HFILE)(INT_PTR)file;
            return TRUE;
        }
    }
    RemoveDirectoryA(gSpoolFolder);
    gSpoolFolder[0] = '\0';
    return FALSE;
}

static void CloseSpoolFile() {
    if (gSpoolFile == kClosed) return;
    _lclose(gSpoolFile);
    gSpoolFile = kClosed;
}

// Closing deletes the file; then its folder goes, and nothing is left on disk.
static void RemoveSpoolFile() {
    CloseSpoolFile();
    if (gSpoolFolder[0]) RemoveDirectoryA(gSpoolFolder);
    gSpoolFolder[0] = '\0';
}

// Appends a block to the spool file and frees its memory.
static BOOL Write2File(const void *data, MBInfo *info) {
    if (_lwrite(gSpoolFile, static_cast<const char *>(data), info->BytesWritten) != info->BytesWritten) {
        AfxMessageBox("Error!\n Disk Space isn't enough.");
        return FALSE;
    }
    FreeBlockMemory(info);
    return TRUE;
}

int WriteBlock(void *data, MBInfo *info) {
    if (gMBInMemory >= 0 && --gMBInMemory >= 0) {
        GlobalUnlock(info->hMem);
        return 1;
    }
    // The quota is spent: this block and every one after it go to the file.
    if (gSpoolFile == kClosed && !CreateSpoolFile()) {
        AfxMessageBox("Error!\n Cannot Create Temp Image File.");
        return 0;
    }
    return Write2File(data, info) ? 1 : 0;
}

BOOL EndSpoolWrite() {
    if (gMBInMemory >= 0) return TRUE;
    // Read back from the start through the same handle: closed, it is gone.
    if (_llseek(gSpoolFile, 0, FILE_BEGIN) == 0) return TRUE;
    CloseSpoolFile();
    return FALSE;
}

// Reads the next spooled block's bytes; on a short read the file is closed,
// and a closed file is gone with its blocks.
static BOOL ReadFromSpool(void *dest, const MBInfo *info) {
    if (gSpoolFile == kClosed) return FALSE;
    if (_lread(gSpoolFile, dest, info->BytesWritten) != info->BytesWritten) {
        AfxMessageBox("Error!\nBugs appear in Write2File");
        CloseSpoolFile();
        return FALSE;
    }
    return TRUE;
}

// A block still in memory: its bytes copied out, its memory freed.
static int CopyFromMemory(void *dest, MBInfo *info) {
    const void *data = GlobalLock(info->hMem);
    if (!data) return 0;
    memcpy(dest, data, info->BytesWritten);
    FreeBlockMemory(info);
    return 1;
}

int ReadBlock(void *dest, MBInfo *info) {
    if (info->hMem) return CopyFromMemory(dest, info);
    return ReadFromSpool(dest, info) ? 1 : 0;
}

// The next spooled block into a new global block named by info->hMem.
static void *LoadFromSpool(MBInfo *info) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, info->BytesWritten ? info->BytesWritten : 1);
    void *data = block ? GlobalLock(block) : nullptr;
    if (!data) {
        if (block) GlobalFree(block);
        return nullptr;
    }
    info->hMem = block;
    if (!ReadFromSpool(data, info)) {
        FreeBlockMemory(info);
        return nullptr;
    }
    return data;
}

void *LockBlock(MBInfo *info) {
    if (info->hMem) return GlobalLock(info->hMem);
    return LoadFromSpool(info);
}

void DiscardImageData() {
    MBInfo info;
    while (gImageQueue.GetCount() > 0) {
        if (TakeBlockInfo(&info)) FreeBlockMemory(&info);
    }
    RemoveSpoolFile();
    gImageQueue.Clear();
    gMBInMemory = 0;
}
