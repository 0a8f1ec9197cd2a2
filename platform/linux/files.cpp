// Files: the 16-bit style calls (_lcreat, _lopen, _lread, _lwrite, _llseek,
// _lclose, OpenFile) and the handle-based ones (CreateFileA, CloseHandle),
// plus deletion, folders and attributes.
//
// An HFILE is a file descriptor, and a file HANDLE is the same descriptor
// widened ((HANDLE)(intptr_t)fd), so (HFILE)(INT_PTR)handle works as on
// Win32. The layer keeps a table of the descriptors it handed out and
// refuses any other (ERROR_INVALID_HANDLE): a stale or uninitialised HFILE
// never reads, writes or closes a descriptor that belongs to someone else,
// such as standard error.
//
// Choices where Win32 has no Linux counterpart:
// - Share modes are not enforced (Linux has no mandatory file locks).
// - _lwrite of 0 bytes does nothing and returns 0. (Win32 truncates the file
//   at the current position; our code never relies on that, and a zero-length
//   write that silently truncated would hide a size computed as 0 by mistake.)
// - Opening a folder as a file fails with ERROR_ACCESS_DENIED, as on Win32.
// - FILE_FLAG_DELETE_ON_CLOSE removes the file's name at once: the open
//   descriptor keeps the file until it closes, whether the process closes it
//   or dies.
// - A process handle (OpenProcess) is a descriptor of the process's /proc
//   folder, tracked like a file so that CloseHandle takes it.
#include "kernel_internal.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <mutex>
#include <new>
#include <unordered_set>

#ifndef FILE_ATTRIBUTE_READONLY
#define FILE_ATTRIBUTE_READONLY 0x1
#endif
#ifndef ERROR_INVALID_DATA
#define ERROR_INVALID_DATA 13
#endif
#ifndef FILE_ATTRIBUTE_HIDDEN
#define FILE_ATTRIBUTE_HIDDEN 0x2
#endif

namespace {

constexpr unsigned kNormalMode = 0666;    // less the umask, as every Linux program
constexpr unsigned kReadOnlyMode = 0444;  // _lcreat attribute 1, FILE_ATTRIBUTE_READONLY

std::mutex gFileMutex;
std::unordered_set<int> gOpenFiles;

bool IsTracked(int fd) {
    std::lock_guard<std::mutex> lock(gFileMutex);
    return gOpenFiles.count(fd) != 0;
}

bool TrackFile(int fd) {
    std::lock_guard<std::mutex> lock(gFileMutex);
    try {
        gOpenFiles.insert(fd);
        return true;
    } catch (const std::bad_alloc &) {
        return false;
    }
}

// Takes the descriptor out of the table; false when it was not there.
bool UntrackFile(int fd) {
    std::lock_guard<std::mutex> lock(gFileMutex);
    return gOpenFiles.erase(fd) != 0;
}

// A descriptor below 3 means a standard stream was closed; a file there
// would receive whatever the program prints, so it moves higher.
int MoveAboveStandardStreams(int fd) {
    if (fd > STDERR_FILENO) return fd;
    int moved = fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    int err = errno;
    close(fd);
    errno = err;
    return moved;
}

// Win32 refuses to open a folder as a file.
bool RefuseDirectory(int fd) {
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    close(fd);
    errno = EISDIR;
    return true;
}

int AccessFlags(int ofMode) {
    switch (ofMode & 0x3) {
    case OF_WRITE:
        return O_WRONLY;
    case OF_READWRITE:
        return O_RDWR;
    default:
        return O_RDONLY;
    }
}

// Opens, tracks and returns a descriptor, or HFILE_ERROR with the Win32 error.
HFILE OpenTracked(const std::string &path, int flags, unsigned mode) {
    int fd = kernel::OpenDescriptor(path, flags, mode);
    if (fd < 0) {
        kernel::SetErrorFromErrnoForPath(errno, path);
        return HFILE_ERROR;
    }
    if (!TrackFile(fd)) {
        close(fd);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return HFILE_ERROR;
    }
    return fd;
}

// An I/O error on a descriptor the layer knows: EBADF then means the file
// was not opened for that direction, which Win32 calls access denied.
void SetIoError(int err) { SetLastError(err == EBADF ? ERROR_ACCESS_DENIED : kernel::ErrorFromErrno(err)); }

// read(2) until `bytes` have come or the file ends; -1 on an error.
ssize_t ReadFully(int fd, char *buffer, size_t bytes) {
    size_t done = 0;
    while (done < bytes) {
        ssize_t got = read(fd, buffer + done, bytes - done);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return -1;
        if (got == 0) break;
        done += static_cast<size_t>(got);
    }
    return static_cast<ssize_t>(done);
}

// The position a seek would reach, checked: false when it is negative or
// beyond what the LONG result can carry.
bool ComputeSeekTarget(int fd, LONG offset, int origin, off_t *target) {
    off_t base;
    if (origin == FILE_BEGIN) {
        base = 0;
    } else if (origin == FILE_CURRENT) {
        base = lseek(fd, 0, SEEK_CUR);
    } else if (origin == FILE_END) {
        struct stat st;
        base = fstat(fd, &st) == 0 ? st.st_size : -1;
    } else {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    if (base < 0) {
        kernel::SetErrorFromErrno(errno);
        return false;
    }
    // base >= 0 and |offset| < 2^31, so the sum cannot overflow off_t.
    off_t sum = base + offset;
    if (sum < 0) {
        SetLastError(ERROR_NEGATIVE_SEEK);
        return false;
    }
    if (sum > INT32_MAX) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    *target = sum;
    return true;
}

// OpenFile reports the full path in szPathName and refuses a path that
// does not fit there, as Win32 does.
bool FillOfstructPath(LPOFSTRUCT info, const std::string &path) {
    std::string full = kernel::FullPath(path);
    if (full.empty() || full.size() >= sizeof(info->szPathName)) {
        SetLastError(full.empty() ? ERROR_PATH_NOT_FOUND : ERROR_INVALID_DATA);
        return false;
    }
    memcpy(info->szPathName, full.c_str(), full.size() + 1);
    return true;
}

// OF_CREATE creates or truncates, always for reading and writing.
int OpenFileFlags(UINT style) {
    if (style & OF_CREATE) return O_RDWR | O_CREAT | O_TRUNC;
    return AccessFlags(static_cast<int>(style));
}

// The work of OpenFile once the path is known. OF_PARSE returns 0, OF_DELETE
// and OF_EXIST return TRUE, the others an open HFILE.
HFILE OpenFileStyle(const std::string &path, LPOFSTRUCT info, UINT style) {
    if (!FillOfstructPath(info, path)) return HFILE_ERROR;
    if (style & OF_PARSE) return 0;
    if ((style & OF_DELETE) && !(style & OF_CREATE)) {
        if (unlink(path.c_str()) != 0) {
            kernel::SetErrorFromErrnoForPath(errno, path);
            return HFILE_ERROR;
        }
        return TRUE;
    }
    HFILE file = OpenTracked(path, OpenFileFlags(style), kNormalMode);
    if (file == HFILE_ERROR) return HFILE_ERROR;
    if (style & OF_EXIST) {
        _lclose(file);
        return TRUE;
    }
    return file;
}

struct CreateDisposition {
    int flags;
    bool valid;
};

CreateDisposition DispositionFlags(DWORD disposition) {
    switch (disposition) {
    case CREATE_NEW:
        // Exclusive, and never through a link: a link planted at the name is
        // an existing file.
        return {O_CREAT | O_EXCL | O_NOFOLLOW, true};
    case CREATE_ALWAYS:
        return {O_CREAT | O_TRUNC, true};
    case OPEN_EXISTING:
        return {0, true};
    case OPEN_ALWAYS:
        return {O_CREAT, true};
    case TRUNCATE_EXISTING:
        return {O_TRUNC, true};
    default:
        return {0, false};
    }
}

int GenericAccessFlags(DWORD access) {
    bool reads = (access & GENERIC_READ) != 0;
    bool writes = (access & GENERIC_WRITE) != 0;
    if (reads && writes) return O_RDWR;
    return writes ? O_WRONLY : O_RDONLY;
}

}  // namespace

namespace kernel {

int OpenDescriptor(const std::string &path, int flags, unsigned mode) {
    int fd;
    do {
        fd = open(path.c_str(), flags | O_CLOEXEC, static_cast<mode_t>(mode));
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return -1;
    fd = MoveAboveStandardStreams(fd);
    if (fd < 0 || RefuseDirectory(fd)) return -1;
    return fd;
}

ssize_t WriteFully(int fd, const char *buffer, size_t bytes) {
    size_t done = 0;
    while (done < bytes) {
        ssize_t put = write(fd, buffer + done, bytes - done);
        if (put < 0 && errno == EINTR) continue;
        if (put < 0) return -1;
        done += static_cast<size_t>(put);
    }
    return static_cast<ssize_t>(done);
}

}  // namespace kernel

WINBASEAPI HFILE _lcreat(LPCSTR path, int attribute) {
    if (!path) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return HFILE_ERROR;
    }
    unsigned mode = (attribute & FILE_ATTRIBUTE_READONLY) ? kReadOnlyMode : kNormalMode;
    return OpenTracked(kernel::NativePath(path), O_RDWR | O_CREAT | O_TRUNC, mode);
}

// The share bits of `mode` are accepted and not enforced.
WINBASEAPI HFILE _lopen(LPCSTR path, int mode) {
    if (!path) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return HFILE_ERROR;
    }
    return OpenTracked(kernel::NativePath(path), AccessFlags(mode), 0);
}

WINBASEAPI UINT _lread(HFILE file, LPVOID buffer, UINT bytes) {
    if (kernel::CountFileRead()) return 0;  // an injected short read: nothing read
    if (!IsTracked(file)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return static_cast<UINT>(HFILE_ERROR);
    }
    if (bytes && !buffer) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return static_cast<UINT>(HFILE_ERROR);
    }
    ssize_t got = ReadFully(file, static_cast<char *>(buffer), bytes);
    if (got < 0) {
        SetIoError(errno);
        return static_cast<UINT>(HFILE_ERROR);
    }
    return static_cast<UINT>(got);
}

WINBASEAPI UINT _lwrite(HFILE file, LPCSTR buffer, UINT bytes) {
    if (kernel::CountFileWrite()) return 0;  // an injected short write: nothing written
    if (!IsTracked(file)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return static_cast<UINT>(HFILE_ERROR);
    }
    if (bytes == 0) return 0;  // no truncation; see the top of this file
    if (!buffer) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return static_cast<UINT>(HFILE_ERROR);
    }
    ssize_t put = kernel::WriteFully(file, buffer, bytes);
    if (put < 0) {
        SetIoError(errno);
        return static_cast<UINT>(HFILE_ERROR);
    }
    return static_cast<UINT>(put);
}

WINBASEAPI LONG _llseek(HFILE file, LONG offset, int origin) {
    if (!IsTracked(file)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return HFILE_ERROR;
    }
    off_t target;
    if (!ComputeSeekTarget(file, offset, origin, &target)) return HFILE_ERROR;
    if (lseek(file, target, SEEK_SET) < 0) {
        kernel::SetErrorFromErrno(errno);
        return HFILE_ERROR;
    }
    return static_cast<LONG>(target);
}

WINBASEAPI HFILE _lclose(HFILE file) {
    if (!UntrackFile(file)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return HFILE_ERROR;
    }
    // Linux releases the descriptor even when close reports an error, so
    // it is never retried (that could close a descriptor reused meanwhile).
    if (close(file) != 0 && errno != EINTR) {
        kernel::SetErrorFromErrno(errno);
        return HFILE_ERROR;
    }
    return 0;
}

WINBASEAPI HFILE OpenFile(LPCSTR path, LPOFSTRUCT info, UINT style) {
    if (!info) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return HFILE_ERROR;
    }
    std::string native;
    if (style & OF_REOPEN)
        native.assign(info->szPathName, strnlen(info->szPathName, sizeof(info->szPathName)));
    else if (path)
        native = kernel::NativePath(path);
    info->cBytes = sizeof(*info);
    info->fFixedDisk = 1;
    info->nErrCode = 0;
    if (!path && !(style & OF_REOPEN)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        info->nErrCode = ERROR_INVALID_PARAMETER;
        return HFILE_ERROR;
    }
    HFILE file = OpenFileStyle(native, info, style);
    if (file == HFILE_ERROR) info->nErrCode = static_cast<WORD>(GetLastError());
    return file;
}

// Security attributes, share modes and a template file are accepted and
// ignored. CREATE_ALWAYS and OPEN_ALWAYS report ERROR_ALREADY_EXISTS when the
// file was there, as Win32 does.
WINBASEAPI HANDLE CreateFileA(LPCSTR path, DWORD access, DWORD share, void *security, DWORD disposition, DWORD flags,
                              HANDLE templateFile) {
    (void)share;
    (void)security;
    (void)templateFile;
    CreateDisposition how = DispositionFlags(disposition);
    if (!path || !how.valid || (disposition == TRUNCATE_EXISTING && !(access & GENERIC_WRITE))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    std::string native = kernel::NativePath(path);
    unsigned mode = (flags & FILE_ATTRIBUTE_READONLY) ? kReadOnlyMode : kNormalMode;
    int openFlags = GenericAccessFlags(access) | how.flags;
    bool existed = false;
    HFILE file = HFILE_ERROR;
    if ((how.flags & O_CREAT) && !(how.flags & O_EXCL)) {
        // Try to create it first, to learn whether the file was there.
        file = OpenTracked(native, openFlags | O_EXCL, mode);
        existed = file == HFILE_ERROR && GetLastError() == ERROR_FILE_EXISTS;
        if (file == HFILE_ERROR && !existed) return INVALID_HANDLE_VALUE;
    }
    if (file == HFILE_ERROR) file = OpenTracked(native, openFlags, mode);
    if (file == HFILE_ERROR) {
        if (disposition == CREATE_NEW && GetLastError() == ERROR_CANT_RESOLVE_FILENAME)
            SetLastError(ERROR_FILE_EXISTS);  // O_NOFOLLOW met a link
        return INVALID_HANDLE_VALUE;
    }
    if (flags & FILE_FLAG_DELETE_ON_CLOSE) unlink(native.c_str());
    bool reportsExisting = disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS;
    SetLastError(reportsExisting && existed ? ERROR_ALREADY_EXISTS : NO_ERROR);
    return reinterpret_cast<HANDLE>(static_cast<intptr_t>(file));
}

// The only kernel objects of this layer are files.
WINBASEAPI BOOL CloseHandle(HANDLE object) {
    intptr_t value = reinterpret_cast<intptr_t>(object);
    if (value < 0 || value > INT_MAX) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return _lclose(static_cast<HFILE>(value)) == 0;
}

WINBASEAPI BOOL DeleteFileA(LPCSTR path) {
    if (!path) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string native = kernel::NativePath(path);
    if (unlink(native.c_str()) != 0) {
        kernel::SetErrorFromErrnoForPath(errno, native);
        return FALSE;
    }
    return TRUE;
}

WINBASEAPI BOOL CreateDirectoryA(LPCSTR path, void *security) {
    (void)security;
    if (!path) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string native = kernel::NativePath(path);
    if (mkdir(native.c_str(), 0700) != 0) {
        if (errno == EEXIST)
            SetLastError(ERROR_ALREADY_EXISTS);
        else if (errno == ENOENT)
            SetLastError(ERROR_PATH_NOT_FOUND);
        else
            kernel::SetErrorFromErrno(errno);
        return FALSE;
    }
    return TRUE;
}

WINBASEAPI BOOL RemoveDirectoryA(LPCSTR path) {
    if (!path) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string native = kernel::NativePath(path);
    if (rmdir(native.c_str()) != 0) {
        if (errno == ENOTDIR)
            SetLastError(ERROR_DIRECTORY);
        else
            kernel::SetErrorFromErrnoForPath(errno, native);
        return FALSE;
    }
    return TRUE;
}

// A file without the owner's write permission is read-only; a name that
// begins with '.' is hidden, as Wine shows Linux files.
WINBASEAPI DWORD GetFileAttributesA(LPCSTR path) {
    if (!path) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_FILE_ATTRIBUTES;
    }
    std::string native = kernel::NativePath(path);
    struct stat st;
    if (stat(native.c_str(), &st) != 0) {
        kernel::SetErrorFromErrnoForPath(errno, native);
        return INVALID_FILE_ATTRIBUTES;
    }
    DWORD attributes = 0;
    if (S_ISDIR(st.st_mode)) attributes |= FILE_ATTRIBUTE_DIRECTORY;
    if (!(st.st_mode & S_IWUSR)) attributes |= FILE_ATTRIBUTE_READONLY;
    std::string name = kernel::BaseNameOf(native);
    if (name.size() > 1 && name[0] == '.' && name != "..") attributes |= FILE_ATTRIBUTE_HIDDEN;
    return attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
}

// Whether a failure to read a process's /proc entry means it is gone; any
// other failure leaves the question open.
static bool ProcessIsGone(int error) { return error == ENOENT || error == ESRCH; }

WINBASEAPI HANDLE OpenProcess(DWORD access, BOOL inherit, DWORD processId) {
    (void)access;
    (void)inherit;
    std::string folder = "/proc/" + std::to_string(processId);
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        // ERROR_INVALID_PARAMETER is Win32's "no such process"; a process
        // that is there but cannot be opened is denied.
        SetLastError(ProcessIsGone(errno) ? ERROR_INVALID_PARAMETER : ERROR_ACCESS_DENIED);
        return nullptr;
    }
    if (!TrackFile(fd)) {
        close(fd);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    return reinterpret_cast<HANDLE>(static_cast<intptr_t>(fd));
}

// A process runs until its /proc folder says it is gone or a zombie; one
// whose state cannot be read for any other reason is taken to run. Its real
// exit code is not kept: an ended process reports 0.
WINBASEAPI BOOL GetExitCodeProcess(HANDLE process, DWORD *exitCode) {
    intptr_t fd = reinterpret_cast<intptr_t>(process);
    if (!exitCode || fd < 0 || fd > INT_MAX || !IsTracked(static_cast<int>(fd))) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    int stat = openat(static_cast<int>(fd), "stat", O_RDONLY | O_CLOEXEC);
    if (stat < 0) {
        *exitCode = ProcessIsGone(errno) ? 0 : STILL_ACTIVE;
        return TRUE;
    }
    char text[512];
    ssize_t got = read(stat, text, sizeof text - 1);
    int readError = errno;
    close(stat);
    if (got < 0) {
        *exitCode = ProcessIsGone(readError) ? 0 : STILL_ACTIVE;
        return TRUE;
    }
    text[got] = '\0';
    // "pid (name) S ...": the state follows the last ')'.
    const char *end = strrchr(text, ')');
    char state = end && end[1] == ' ' ? end[2] : 'X';
    *exitCode = state != 'Z' && state != 'X' && state != 'x' ? STILL_ACTIVE : 0;
    return TRUE;
}
