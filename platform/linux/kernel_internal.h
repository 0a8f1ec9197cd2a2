// What the kernel files of the Linux layer share among themselves: the Win32
// error codes the public header leaves out, the errno translation, path
// spelling, the fault-injection counters and the module lookups. Nothing here
// is exported from libqrplatform (the build hides every symbol that is not
// declared WINBASEAPI).
#ifndef QR_PLATFORM_LINUX_KERNEL_INTERNAL_H
#define QR_PLATFORM_LINUX_KERNEL_INTERNAL_H

#include "resource_table.h"
#include "win32.h"

#include <sys/types.h>

#include <string>

// Win32 error codes that our layer reports but win32.h does not name.
#ifndef ERROR_TOO_MANY_OPEN_FILES
#define ERROR_TOO_MANY_OPEN_FILES 4
#endif
#ifndef ERROR_GEN_FAILURE
#define ERROR_GEN_FAILURE 31
#endif
#ifndef ERROR_SHARING_VIOLATION
#define ERROR_SHARING_VIOLATION 32
#endif
#ifndef ERROR_HANDLE_EOF
#define ERROR_HANDLE_EOF 38
#endif
#ifndef ERROR_BUFFER_OVERFLOW
#define ERROR_BUFFER_OVERFLOW 111
#endif
#ifndef ERROR_DISK_FULL
#define ERROR_DISK_FULL 112
#endif
#ifndef ERROR_NEGATIVE_SEEK
#define ERROR_NEGATIVE_SEEK 131
#endif
#ifndef ERROR_DIR_NOT_EMPTY
#define ERROR_DIR_NOT_EMPTY 145
#endif
#ifndef ERROR_DISCARDED
#define ERROR_DISCARDED 157
#endif
#ifndef ERROR_FILENAME_EXCED_RANGE
#define ERROR_FILENAME_EXCED_RANGE 206
#endif
#ifndef ERROR_DIRECTORY
#define ERROR_DIRECTORY 267
#endif
#ifndef ERROR_RESOURCE_NAME_NOT_FOUND
#define ERROR_RESOURCE_NAME_NOT_FOUND 1814
#endif
#ifndef ERROR_CANT_RESOLVE_FILENAME
#define ERROR_CANT_RESOLVE_FILENAME 1921
#endif

namespace kernel {

// errors.cpp: the Win32 code for an errno value, and SetLastError of it.
DWORD ErrorFromErrno(int err);
void SetErrorFromErrno(int err);
// As above, but ENOENT becomes ERROR_PATH_NOT_FOUND when the folder that
// should hold `path` is missing, as Win32 tells the two apart.
void SetErrorFromErrnoForPath(int err, const std::string &path);

// paths.cpp: a Win32 path spelt for Linux ('\\' becomes '/'), and its parts.
std::string NativePath(const char *path);
std::string DirectoryOf(const std::string &path);
std::string BaseNameOf(const std::string &path);
// The absolute form of a path, "." and ".." resolved by spelling alone (no
// links followed); "" when the working folder cannot be read.
std::string FullPath(const std::string &path);
bool IsDirectory(const std::string &path);

// files.cpp: open(2) giving a close-on-exec descriptor above the standard
// streams and never a folder; -1 with errno on failure.
int OpenDescriptor(const std::string &path, int flags, unsigned mode);
// write(2) until every byte is out; the count, or -1 with errno.
ssize_t WriteFully(int fd, const char *buffer, size_t bytes);

// faults.cpp: each call counts one call of its kind and says whether the
// test controls asked this very call to fail.
bool CountGlobalAlloc(void);
bool CountFileWrite(void);
bool CountFileRead(void);
bool CountHeapAlloc(void);

// modules.cpp: the address of `name` when `module` (NULL = the main program)
// is loaded and defines that symbol itself, else NULL (and no SetLastError).
void *FindOwnSymbol(HMODULE module, const char *name);

// strings.cpp: the resource table a module exports, or NULL. The dialog code
// finds its templates here too.
const QrResourceTable *module_resources(HINSTANCE instance);

}  // namespace kernel

#endif
