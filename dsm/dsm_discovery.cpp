// Finding sources: every *.ds file of the sources folder is loaded, asked
// for its identity and unloaded again.
#include <dirent.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>

#include <algorithm>

#include "dsm_internal.h"

namespace {

bool HasSourceSuffix(const char *name) {
    size_t length = strlen(name);
    return length > 3 && strcasecmp(name + length - 3, ".ds") == 0;
}

std::vector<std::string> SourceFileNames(const std::string &folder) {
    std::vector<std::string> names;
    DIR *dir = opendir(folder.c_str());
    if (!dir) return names;
    while (struct dirent *entry = readdir(dir)) {
        if (HasSourceSuffix(entry->d_name)) names.push_back(entry->d_name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

// A source's strings are copied out of its memory; make sure each ends
// inside its field.
void TerminateStrings(TW_IDENTITY *identity) {
    identity->Version.Info[sizeof identity->Version.Info - 1] = '\0';
    identity->Manufacturer[sizeof identity->Manufacturer - 1] = '\0';
    identity->ProductFamily[sizeof identity->ProductFamily - 1] = '\0';
    identity->ProductName[sizeof identity->ProductName - 1] = '\0';
}

bool AskIdentity(pTW_IDENTITY app, const std::string &path, TW_IDENTITY *identity) {
    HMODULE module = LoadLibraryA(path.c_str());
    if (!module) return false;
    DSENTRYPROC entry = DsmBind<DSENTRYPROC>(module, "DS_Entry");
    bool ok = false;
    if (entry) {
        TW_IDENTITY answer{};
        ok = entry(app, DG_CONTROL, DAT_IDENTITY, MSG_GET, &answer) == TWRC_SUCCESS;
        if (ok) {
            TerminateStrings(&answer);
            answer.Id = 0;
            *identity = answer;
        }
    }
    FreeLibrary(module);
    return ok;
}

std::string OwnFolder() {
    HMODULE self = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            (LPCSTR)&OwnFolder, &self))
        return ".";
    char path[4096];
    DWORD length = GetModuleFileNameA(self, path, sizeof path);
    if (length == 0 || length >= sizeof path) return ".";
    std::string folder(path, length);
    size_t slash = folder.find_last_of('/');
    return slash == std::string::npos ? std::string(".") : folder.substr(0, slash);
}

}  // namespace

std::string DsmSourcesFolder() {
    const char *folder = getenv("QR_TWAIN_SOURCES");
    if (folder && *folder) return folder;
    return OwnFolder();
}

std::vector<DsmSourceFile> DsmDiscoverSources(pTW_IDENTITY app) {
    std::string folder = DsmSourcesFolder();
    std::vector<DsmSourceFile> found;
    for (const std::string &name : SourceFileNames(folder)) {
        DsmSourceFile source;
        source.path = folder + "/" + name;
        if (AskIdentity(app, source.path, &source.identity)) found.push_back(source);
    }
    return found;
}
