// Runs a fuzz target over files without the fuzzer: each argument is a file
// or a folder of files (its corpus, its regressions). Every input that once
// crashed a target stays here, replayed by a test in every build.
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace fs = std::filesystem;

static void Replay(const fs::path &file) {
    std::ifstream in(file, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
}

int main(int argc, char **argv) {
    long replayed = 0;
    for (int i = 1; i < argc; ++i) {
        std::error_code error;
        if (!fs::is_directory(argv[i], error)) {
            if (!fs::exists(argv[i], error)) {
                fprintf(stderr, "%s: no such file or folder\n", argv[i]);
                return 1;
            }
            Replay(argv[i]);
            ++replayed;
            continue;
        }
        std::vector<fs::path> files;
        for (const auto &entry : fs::directory_iterator(argv[i]))
            if (entry.is_regular_file() && entry.path().filename().string()[0] != '.') files.push_back(entry.path());
        std::sort(files.begin(), files.end());  // the same order on every machine
        for (const fs::path &file : files) {
            Replay(file);
            ++replayed;
        }
    }
    printf("%ld inputs replayed\n", replayed);
    return 0;
}
