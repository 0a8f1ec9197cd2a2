// Modules over the dynamic loader: LoadLibraryA, FreeLibrary, GetProcAddress,
// GetModuleHandleA/ExA, GetModuleFileNameA, and GetWindowsDirectoryA.
//
// An HMODULE is the loader's handle, which with glibc is the object's
// struct link_map. Before a handle is given to the loader it is checked
// against the loader's list of loaded objects, so a stale or made-up handle is
// refused instead of crashing inside dlsym or dlclose. FreeLibrary accepts
// only handles on which the layer holds a reference (taken by LoadLibraryA or
// by GetModuleHandleExA without UNCHANGED_REFCOUNT); Win32 would also let a
// caller release a reference it never took.
//
// GetProcAddress finds only what the module itself defines, as Win32 finds
// only a module's own exports, never a symbol of one of its dependencies.
#include "kernel_internal.h"

#include <dlfcn.h>
#include <link.h>
#include <limits.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <unistd.h>

#include <mutex>
#include <new>
#include <unordered_map>

namespace {

std::mutex gModuleMutex;
std::unordered_map<void *, long> gReferences;  // dlopen references the layer holds, by handle

// How a walk over the loaded objects recognises the one it wants.
struct ModuleQuery {
    bool (*matches)(const ModuleQuery &query, const struct link_map *map);
    const void *handle;      // by handle
    std::string baseName;    // by file name, without case
    std::string mainName;    // the main program's file name (its l_name is "")
    struct link_map *found;  // results
    std::string foundName;
};

bool MatchesHandle(const ModuleQuery &query, const struct link_map *map) { return map == query.handle; }

// Win32 adds ".dll" to a module name without an extension; our modules may
// carry either spelling, so both are accepted.
bool MatchesBaseName(const ModuleQuery &query, const struct link_map *map) {
    const char *name = map->l_name && *map->l_name ? map->l_name : nullptr;
    std::string base = name ? kernel::BaseNameOf(name) : query.mainName;
    if (strcasecmp(base.c_str(), query.baseName.c_str()) == 0) return true;
    if (query.baseName.find('.') != std::string::npos) return false;
    return strcasecmp(base.c_str(), (query.baseName + ".dll").c_str()) == 0;
}

// dl_iterate_phdr holds the loader's lock while it calls us, and dlopen and
// dlclose take that lock to change the list, so the list cannot change under
// this walk. One call is enough: it walks the whole list.
int WalkModuleList(struct dl_phdr_info *info, size_t size, void *context) {
    (void)info;
    (void)size;
    ModuleQuery &query = *static_cast<ModuleQuery *>(context);
    for (struct link_map *map = _r_debug.r_map; map; map = map->l_next) {
        if (query.matches(query, map)) {
            query.found = map;
            query.foundName = map->l_name ? map->l_name : "";
            break;
        }
    }
    return 1;
}

struct link_map *find_module(ModuleQuery &query) {
    query.found = nullptr;
    dl_iterate_phdr(WalkModuleList, &query);
    return query.found;
}

std::string MainProgramPath(void) {
    std::string path(PATH_MAX, '\0');
    for (;;) {
        ssize_t length = readlink("/proc/self/exe", &path[0], path.size());
        if (length < 0) return std::string();
        if (static_cast<size_t>(length) < path.size()) {
            path.resize(static_cast<size_t>(length));
            return path;
        }
        if (path.size() > SIZE_MAX / 2) return std::string();
        path.resize(path.size() * 2);
    }
}

HMODULE MainProgramHandle(void) {
    static HMODULE gMainProgram = static_cast<HMODULE>(dlopen(nullptr, RTLD_NOW));
    return gMainProgram;
}

// The loader's file name of a loaded module ("" for the main program).
bool LoaderNameOf(HMODULE module, std::string *name) {
    ModuleQuery query = {MatchesHandle, module, std::string(), std::string(), nullptr, std::string()};
    if (!find_module(query)) return false;
    *name = query.foundName;
    return true;
}

bool IsLoadedModule(HMODULE module) {
    std::string name;
    return LoaderNameOf(module, &name);
}

HMODULE FindModuleByName(const char *name) {
    ModuleQuery query = {MatchesBaseName,
                         nullptr,
                         kernel::BaseNameOf(kernel::NativePath(name)),
                         kernel::BaseNameOf(MainProgramPath()),
                         nullptr,
                         std::string()};
    return reinterpret_cast<HMODULE>(find_module(query));
}

// The symbol, when the module itself (not a dependency) defines it.
void *LookupOwnSymbol(HMODULE module, const char *name) {
    dlerror();
    void *symbol = dlsym(module, name);
    if (!symbol) return nullptr;
    Dl_info info;
    struct link_map *owner = nullptr;
    if (!dladdr1(symbol, &info, reinterpret_cast<void **>(&owner), RTLD_DL_LINKMAP)) return nullptr;
    return reinterpret_cast<HMODULE>(owner) == module ? symbol : nullptr;
}

bool AddReference(void *handle) {
    std::lock_guard<std::mutex> lock(gModuleMutex);
    try {
        gReferences[handle]++;
        return true;
    } catch (const std::bad_alloc &) {
        return false;
    }
}

// Takes back one reference the layer holds; false when it holds none.
bool DropReference(void *handle) {
    std::lock_guard<std::mutex> lock(gModuleMutex);
    auto found = gReferences.find(handle);
    if (found == gReferences.end()) return false;
    if (--found->second == 0) gReferences.erase(found);
    return true;
}

// Takes one more loader reference on a loaded module; PIN makes it permanent.
bool ReferenceModule(HMODULE module, bool pin) {
    std::string name;
    if (!LoaderNameOf(module, &name)) return false;
    int flags = RTLD_NOW | RTLD_NOLOAD | (pin ? RTLD_NODELETE : 0);
    void *handle = dlopen(name.empty() ? nullptr : name.c_str(), flags);
    if (handle != module) {
        if (handle) dlclose(handle);
        return false;
    }
    if (pin) {
        dlclose(handle);  // RTLD_NODELETE stays; the count is back where it was
        return true;
    }
    if (!AddReference(handle)) {
        dlclose(handle);
        return false;
    }
    return true;
}

// Copies with Win32's truncation: when it does not fit, size-1 characters
// and a NUL, the result `size` and ERROR_INSUFFICIENT_BUFFER.
DWORD CopyTruncated(const std::string &text, LPSTR buffer, DWORD size) {
    if (!buffer || size == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (text.size() < size) {
        memcpy(buffer, text.c_str(), text.size() + 1);
        return static_cast<DWORD>(text.size());
    }
    memcpy(buffer, text.data(), size - 1);
    buffer[size - 1] = '\0';
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
}

// The folder that holds libqrplatform itself.
std::string OwnDirectory(void) {
    Dl_info info;
    if (!dladdr(reinterpret_cast<void *>(&GetWindowsDirectoryA), &info) || !info.dli_fname) return std::string();
    std::string path = info.dli_fname;
    char *real = realpath(info.dli_fname, nullptr);
    if (real) {
        path = real;
        free(real);
    }
    return kernel::DirectoryOf(path);
}

std::string WindowsDirectory(void) {
    const char *windir = getenv("WINDIR");
    std::string dir = windir && *windir ? kernel::NativePath(windir) : OwnDirectory();
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    return dir;
}

}  // namespace

namespace kernel {

void *FindOwnSymbol(HMODULE module, const char *name) {
    if (!module) module = MainProgramHandle();
    if (!module || !name || !IsLoadedModule(module)) return nullptr;
    return LookupOwnSymbol(module, name);
}

}  // namespace kernel

// A path with a folder is made absolute first, so that the module's file
// name stays right after the working folder changes.
WINBASEAPI HMODULE LoadLibraryA(LPCSTR path) {
    if (!path || !*path) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::string native = kernel::NativePath(path);
    if (native.find('/') != std::string::npos) native = kernel::FullPath(native);
    void *handle = dlopen(native.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    if (!AddReference(handle)) {
        dlclose(handle);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    return static_cast<HMODULE>(handle);
}

// The module's destructors run inside dlclose and may free other modules
// themselves, so no lock of ours is held across it.
WINBASEAPI BOOL FreeLibrary(HMODULE module) {
    if (!DropReference(module)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (dlclose(module) != 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

// Names only; an ordinal (a small integer in place of the name) finds nothing.
WINBASEAPI FARPROC GetProcAddress(HMODULE module, LPCSTR name) {
    if (!name || IS_INTRESOURCE(name)) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    if (!module) module = MainProgramHandle();
    if (!module || !IsLoadedModule(module)) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    void *symbol = LookupOwnSymbol(module, name);
    if (!symbol) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<FARPROC>(symbol);
}

WINBASEAPI DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size) {
    std::string path;
    if (!module) {
        path = MainProgramPath();
    } else if (!LoaderNameOf(module, &path)) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    } else if (path.empty()) {
        path = MainProgramPath();
    } else {
        char *real = realpath(path.c_str(), nullptr);
        if (real) {
            path = real;
            free(real);
        }
    }
    return CopyTruncated(path, buffer, size);
}

// No reference is taken, as on Win32.
WINBASEAPI HMODULE GetModuleHandleA(LPCSTR name) {
    HMODULE module = name ? FindModuleByName(name) : MainProgramHandle();
    if (!module) SetLastError(ERROR_MOD_NOT_FOUND);
    return module;
}

WINBASEAPI BOOL GetModuleHandleExA(DWORD flags, LPCSTR nameOrAddress, HMODULE *module) {
    if (!module) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *module = nullptr;
    bool pin = (flags & GET_MODULE_HANDLE_EX_FLAG_PIN) != 0;
    bool unchanged = (flags & GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT) != 0;
    if (pin && unchanged) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    HMODULE found = nullptr;
    if (flags & GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS) {
        Dl_info info;
        struct link_map *owner = nullptr;
        if (dladdr1(nameOrAddress, &info, reinterpret_cast<void **>(&owner), RTLD_DL_LINKMAP))
            found = reinterpret_cast<HMODULE>(owner);
    } else {
        found = nameOrAddress ? FindModuleByName(nameOrAddress) : MainProgramHandle();
    }
    if (!found) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return FALSE;
    }
    if (!unchanged && !ReferenceModule(found, pin)) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return FALSE;
    }
    *module = found;
    return TRUE;
}

// Returns the length without the NUL, or when `size` is too small the size
// needed with the NUL, writing nothing.
WINBASEAPI UINT GetWindowsDirectoryA(LPSTR buffer, UINT size) {
    std::string dir = WindowsDirectory();
    if (dir.empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return 0;
    }
    if (!buffer || dir.size() >= size) return static_cast<UINT>(dir.size() + 1);
    memcpy(buffer, dir.c_str(), dir.size() + 1);
    return static_cast<UINT>(dir.size());
}
