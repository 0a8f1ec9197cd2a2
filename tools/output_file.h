// A file being written: every write is checked, and a file that was not
// finished is removed, so that a failed save leaves nothing behind.
#ifndef QR_OUTPUT_FILE_H
#define QR_OUTPUT_FILE_H

#include <stdint.h>
#include <stdio.h>

#include <string>

class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile();  // removes the file unless Finish succeeded
    OutputFile(const OutputFile &) = delete;
    OutputFile &operator=(const OutputFile &) = delete;

    // FALSE with Error() set when the file cannot be created.
    bool Create(const std::string &path);
    bool Write(const void *data, size_t bytes);
    // Flushes and closes; FALSE (and the file removed) when anything failed.
    bool Finish();
    const std::string &Error() const { return error_; }

private:
    bool Fail(const char *what);

    FILE *file_ = nullptr;
    std::string path_;
    std::string error_;
    bool finished_ = false;
};

// Little-endian pieces of file headers.
void PutLE16(uint8_t *p, uint16_t value);
void PutLE32(uint8_t *p, uint32_t value);

#endif
