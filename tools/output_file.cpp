#include "output_file.h"

#include <errno.h>
#include <string.h>

OutputFile::~OutputFile() {
    if (finished_ || path_.empty()) return;
    if (file_) fclose(file_);
    remove(path_.c_str());
}

bool OutputFile::Fail(const char *what) {
    if (error_.empty()) error_ = std::string(what) + " " + path_ + ": " + strerror(errno);
    return false;
}

bool OutputFile::Create(const std::string &path) {
    path_ = path;
    file_ = fopen(path.c_str(), "wb");
    if (!file_) {
        bool failed = Fail("cannot create");
        path_.clear();  // nothing of ours to remove
        return failed;
    }
    return true;
}

bool OutputFile::Write(const void *data, size_t bytes) {
    if (!file_ || !error_.empty()) return false;
    if (bytes && fwrite(data, 1, bytes, file_) != bytes) return Fail("cannot write");
    return true;
}

bool OutputFile::Finish() {
    if (!file_) return false;
    bool ok = error_.empty();
    if (fflush(file_) != 0) ok = Fail("cannot write");
    if (fclose(file_) != 0 && ok) ok = Fail("cannot close");
    file_ = nullptr;
    if (!ok) {
        remove(path_.c_str());
        path_.clear();
        return false;
    }
    finished_ = true;
    return true;
}

void PutLE16(uint8_t *p, uint16_t value) {
    p[0] = (uint8_t)value;
    p[1] = (uint8_t)(value >> 8);
}

void PutLE32(uint8_t *p, uint32_t value) {
    PutLE16(p, (uint16_t)value);
    PutLE16(p + 2, (uint16_t)(value >> 16));
}
