// Path spelling shared by the file, module and settings calls. Win32 takes
// both '\\' and '/' as separators; Linux only '/', so a path that came from
// code written for Windows is respelt before it reaches the system.
#include "kernel_internal.h"

#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace kernel {

std::string NativePath(const char *path) {
    std::string native(path ? path : "");
    for (char &c : native) {
        if (c == '\\') c = '/';
    }
    return native;
}

// The folder part of a path: "a/b/c" -> "a/b", "/c" -> "/", "c" -> ".".
std::string DirectoryOf(const std::string &path) {
    size_t end = path.find_last_not_of('/');
    if (end == std::string::npos) return path.empty() ? "." : "/";
    size_t slash = path.find_last_of('/', end);
    if (slash == std::string::npos) return ".";
    size_t last = path.find_last_not_of('/', slash);
    if (last == std::string::npos) return "/";
    return path.substr(0, last + 1);
}

std::string BaseNameOf(const std::string &path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FullPath(const std::string &path) {
    std::string joined = path;
    if (path.empty() || path[0] != '/') {
        char cwd[PATH_MAX];
        if (!getcwd(cwd, sizeof(cwd))) return std::string();
        joined = std::string(cwd) + "/" + path;
    }
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= joined.size()) {
        size_t slash = joined.find('/', start);
        if (slash == std::string::npos) slash = joined.size();
        std::string part = joined.substr(start, slash - start);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = slash + 1;
    }
    std::string full;
    for (const std::string &part : parts) full += "/" + part;
    return full.empty() ? "/" : full;
}

bool IsDirectory(const std::string &path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace kernel
