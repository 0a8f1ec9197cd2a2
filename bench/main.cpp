// qrvm_bench: the transfer paths, capability negotiation and the libtiff
// comparison, then the table of every path against its bound.
//
//   qrvm_bench [--dpi=300,600,1200] [--runs=N] [--table=FILE] [benchmark flags]
//
// --dpi   the A4 page sizes to run (default all three)
// --runs  runs per benchmark (default 11 at 300 dpi, 7 at 600, 3 at 1200)
// --table also write the closing table to FILE
//
// QR_BENCH_DIR (default /tmp) holds the temporary and output files;
// QR_BENCH_VERBOSE=1 prints every run's time and bound.
#include "results.h"
#include "transfer_bench.h"

#include <benchmark/benchmark.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <string>
#include <vector>

namespace {

bool TakeOption(const char *arg, const char *name, std::string *value) {
    size_t length = strlen(name);
    if (strncmp(arg, name, length) != 0 || arg[length] != '=') return false;
    *value = arg + length + 1;
    return true;
}

std::vector<int> ParseList(const std::string &text) {
    std::vector<int> values;
    for (size_t at = 0; at < text.size();) {
        size_t comma = text.find(',', at);
        if (comma == std::string::npos) comma = text.size();
        int value = atoi(text.substr(at, comma - at).c_str());
        if (value > 0) values.push_back(value);
        at = comma + 1;
    }
    return values;
}

}  // namespace

int main(int argc, char **argv) {
    BenchOptions options;
    std::string tableFile, value;
    std::vector<char *> rest{argv[0]};
    for (int i = 1; i < argc; ++i) {
        if (TakeOption(argv[i], "--dpi", &value)) {
            options.dpis = ParseList(value);
        } else if (TakeOption(argv[i], "--runs", &value)) {
            options.runs = atoi(value.c_str());
        } else if (TakeOption(argv[i], "--table", &value)) {
            tableFile = value;
        } else {
            rest.push_back(argv[i]);
        }
    }
    // The progress bar on the terminal is the user's, not the transfer's.
    setenv("QR_NO_TERMINAL_PROGRESS", "1", 1);

    RegisterCapabilityBenchmarks();
    RegisterTransferBenchmarks(options);
    RegisterLibtiffBenchmarks(options);
    int count = (int)rest.size();
    benchmark::Initialize(&count, rest.data());
    if (benchmark::ReportUnrecognizedArguments(count, rest.data())) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    printf("\n");
    PrintTable(stdout);
    if (!tableFile.empty()) {
        FILE *out = fopen(tableFile.c_str(), "w");
        if (!out) {
            fprintf(stderr, "cannot write %s\n", tableFile.c_str());
            return 1;
        }
        PrintTable(out);
        fclose(out);
    }
    return 0;
}
