#include "qrscan_options.h"

#include <stdlib.h>
#include <string.h>

namespace {

bool ParseSeconds(const char *text, int *seconds) {
    char *end = nullptr;
    long value = strtol(text, &end, 10);
    if (!*text || *end || value <= 0 || value > 24 * 3600) return false;
    *seconds = (int)value;
    return true;
}

// "--name VALUE" or "--name=VALUE"; advances *i past a separate value.
bool TakeValue(int argc, char **argv, int *i, const char *name, const char **value) {
    const char *arg = argv[*i];
    size_t length = strlen(name);
    if (strncmp(arg, name, length) != 0) return false;
    if (arg[length] == '=') {
        *value = arg + length + 1;
        return true;
    }
    if (arg[length] != '\0') return false;
    *value = *i + 1 < argc ? argv[++*i] : nullptr;
    return true;
}

}  // namespace

bool ParseOptions(int argc, char **argv, QrScanOptions *options, std::string *error) {
    for (int i = 1; i < argc; ++i) {
        const char *arg = argv[i];
        const char *value = nullptr;
        if (strcmp(arg, "-h") == 0 || strcmp(arg, "--help") == 0) {
            options->help = true;
        } else if (strcmp(arg, "-L") == 0 || strcmp(arg, "--list") == 0) {
            options->list = true;
        } else if (strcmp(arg, "--ui") == 0) {
            options->showUI = true;
        } else if (strcmp(arg, "-v") == 0 || strcmp(arg, "--verbose") == 0) {
            options->verbose = true;
        } else if (TakeValue(argc, argv, &i, "--source", &value)) {
            if (!value || !*value) {
                *error = "--source needs the name of a data source";
                return false;
            }
            options->source = value;
        } else if (TakeValue(argc, argv, &i, "--timeout", &value)) {
            if (!value || !ParseSeconds(value, &options->timeoutSeconds)) {
                *error = "--timeout needs a number of seconds from 1 to 86400";
                return false;
            }
        } else {
            *error = std::string("unknown option '") + arg + "'";
            return false;
        }
    }
    return true;
}

void PrintUsage(FILE *out) {
    fputs("Usage: qrscan [OPTION]...\n"
          "Acquire from a TWAIN data source through the Source Manager (TWAIN_32.DLL in the\n"
          "Windows directory).\n"
          "\n"
          "  -L, --list          list the data sources and exit\n"
          "      --source NAME   use the data source whose product name is NAME\n"
          "                      (default: the first one found)\n"
          "      --ui            show the data source's own dialog instead of scanning\n"
          "                      at once\n"
          "      --timeout SECS  give up when no image is ready after SECS seconds\n"
          "                      (default 60)\n"
          "  -v, --verbose       report every step\n"
          "  -h, --help          show this help and exit\n"
          "\n"
          "Exit status:\n"
          "  0  success\n"
          "  1  usage error\n"
          "  2  TWAIN failure (no Source Manager, no such source, an operation failed,\n"
          "     or no image in time)\n"
          "  3  cancelled (the source asked to close before an image was ready)\n"
          "  4  input/output error\n",
          out);
}
