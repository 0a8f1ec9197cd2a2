// GetLastError / SetLastError, one code per thread as on Win32, and the
// translation of errno values into Win32 codes for the rest of the layer.
#include "kernel_internal.h"

#include <errno.h>

static thread_local DWORD tLastError = NO_ERROR;

WINBASEAPI DWORD GetLastError(void) { return tLastError; }

WINBASEAPI void SetLastError(DWORD code) { tLastError = code; }

namespace kernel {

DWORD ErrorFromErrno(int err) {
    switch (err) {
    case 0:
        return NO_ERROR;
    case ENOENT:
        return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
        return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        return ERROR_ACCESS_DENIED;
    case EEXIST:
        return ERROR_FILE_EXISTS;
    case EBADF:
        return ERROR_INVALID_HANDLE;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    case EINVAL:
        return ERROR_INVALID_PARAMETER;
    case EMFILE:
    case ENFILE:
        return ERROR_TOO_MANY_OPEN_FILES;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return ERROR_DISK_FULL;
    case ENAMETOOLONG:
        return ERROR_FILENAME_EXCED_RANGE;
    case ENOTEMPTY:
        return ERROR_DIR_NOT_EMPTY;
    case EBUSY:
    case ETXTBSY:
        return ERROR_SHARING_VIOLATION;
    case ELOOP:
        return ERROR_CANT_RESOLVE_FILENAME;
    default:
        return ERROR_GEN_FAILURE;
    }
}

void SetErrorFromErrno(int err) { SetLastError(ErrorFromErrno(err)); }

void SetErrorFromErrnoForPath(int err, const std::string &path) {
    if (err == ENOENT && !IsDirectory(DirectoryOf(path))) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return;
    }
    SetErrorFromErrno(err);
}

}  // namespace kernel
