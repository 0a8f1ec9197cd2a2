// Finding sources: every *.ds file of the sources folders and the folders
// below them is loaded, asked for its identity and unloaded again.
#include <dirent.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <sys/stat.h>

#include <algorithm>

#include "dsm_internal.h"

namespace {

bool HasSourceSuffix(const char *name) {
    size_t length = strlen(name);
    return length > 3 && strcasecmp(name + length - 3, ".ds") == 0;
}

// The *.ds files of `folder` and of its folders (not through links to
// folders), as paths.
void CollectSourceFiles(const std::string &folder, int depth, std::vector<std::string> *paths) {
    DIR *dir = opendir(folder.c_str());
    if (!dir) return;
    while (struct dirent *entry = readdir(dir)) {
        if (strcmp(entry->d_name, ".") == 0 || strcmp(entry->d_name, "..") == 0) continue;
        std::string path = folder + "/" + entry->d_name;
        struct stat info;
        if (lstat(path.c_str(), &info) != 0) continue;
        if (S_ISDIR(info.st_mode)) {
            if (depth < 8) CollectSourceFiles(path, depth + 1, paths);
        } else if (HasSourceSuffix(entry->d_name)) {
            paths->push_back(path);
        }
    }
    closedir(dir);
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

std::vector<std::string> DsmSourcesFolders() {
    const char *folder = getenv("QR_TWAIN_SOURCES");
    if (folder && *folder) return {folder};
    // Installed, the manager sits in <prefix>/lib/qrvm and the sources in
    // <prefix>/lib/twain, where the Working Group's manager looks too.
    std::string own = OwnFolder();
    return {own, own + "/../twain"};
}

std::vector<DsmSourceFile> DsmDiscoverSources(pTW_IDENTITY app) {
    std::vector<std::string> paths;
    for (const std::string &folder : DsmSourcesFolders()) {
        std::vector<std::string> inFolder;
        CollectSourceFiles(folder, 0, &inFolder);
        std::sort(inFolder.begin(), inFolder.end());
        paths.insert(paths.end(), inFolder.begin(), inFolder.end());
    }
    std::vector<DsmSourceFile> found;
    for (const std::string &path : paths) {
        DsmSourceFile source;
        source.path = path;
        if (AskIdentity(app, source.path, &source.identity)) found.push_back(source);
    }
    return found;
}
