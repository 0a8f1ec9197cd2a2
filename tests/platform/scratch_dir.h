// A private folder for one test, removed with everything in it afterwards.
#ifndef QR_TESTS_PLATFORM_SCRATCH_DIR_H
#define QR_TESTS_PLATFORM_SCRATCH_DIR_H

#include <ftw.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

class ScratchDir {
public:
    // Under `base`, /tmp unless a test needs a faster file system.
    explicit ScratchDir(const char *base = "/tmp") {
        std::string pattern = std::string(base) + "/qr-kernel-test.XXXXXX";
        const char *made = mkdtemp(&pattern[0]);
        dir_ = made ? made : "";
    }
    ~ScratchDir() {
        if (!dir_.empty()) nftw(dir_.c_str(), remove_entry, 16, FTW_DEPTH | FTW_PHYS);
    }
    ScratchDir(const ScratchDir &) = delete;
    ScratchDir &operator=(const ScratchDir &) = delete;

    const std::string &dir() const { return dir_; }
    std::string path(const std::string &name) const { return dir_ + "/" + name; }

private:
    static int remove_entry(const char *path, const struct stat *, int, struct FTW *) {
        remove(path);
        return 0;
    }
    std::string dir_;
};

// Whole-file helpers, through the C library (not the layer under test).
inline bool write_text_file(const std::string &path, const std::string &text) {
    FILE *file = fopen(path.c_str(), "wb");
    if (!file) return false;
    bool ok = fwrite(text.data(), 1, text.size(), file) == text.size();
    return fclose(file) == 0 && ok;
}

inline std::string read_text_file(const std::string &path) {
    std::string text;
    FILE *file = fopen(path.c_str(), "rb");
    if (!file) return text;
    char chunk[4096];
    size_t got;
    while ((got = fread(chunk, 1, sizeof(chunk), file)) > 0) text.append(chunk, got);
    fclose(file);
    return text;
}

inline bool file_exists(const std::string &path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

// Sets or clears an environment variable for one test and puts it back.
class ScopedEnv {
public:
    ScopedEnv(const char *name, const char *value) : name_(name) {
        const char *old = getenv(name);
        hadOld_ = old != nullptr;
        if (old) old_ = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv() {
        if (hadOld_)
            setenv(name_.c_str(), old_.c_str(), 1);
        else
            unsetenv(name_.c_str());
    }
    ScopedEnv(const ScopedEnv &) = delete;
    ScopedEnv &operator=(const ScopedEnv &) = delete;

private:
    std::string name_;
    std::string old_;
    bool hadOld_;
};

#endif
