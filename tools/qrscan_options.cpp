#include "qrscan_options.h"

#include <stdlib.h>
#include <string.h>

#include "output_names.h"

namespace {

bool ParseSeconds(const char *text, int *seconds) {
    char *end = nullptr;
    long value = strtol(text, &end, 10);
    if (!*text || *end || value <= 0 || value > 24 * 3600) return false;
    *seconds = (int)value;
    return true;
}

// "--name VALUE" or "--name=VALUE" (the short form only as "-n VALUE");
// advances *i past a separate value.
bool TakeValue(int argc, char **argv, int *i, const char *name, const char *shortName, const char **value) {
    const char *arg = argv[*i];
    size_t length = strlen(name);
    bool isShort = shortName && strcmp(arg, shortName) == 0;
    if (!isShort) {
        if (strncmp(arg, name, length) != 0) return false;
        if (arg[length] == '=') {
            *value = arg + length + 1;
            return true;
        }
        if (arg[length] != '\0') return false;
    }
    *value = *i + 1 < argc ? argv[++*i] : nullptr;
    return true;
}

bool ParseXfer(const char *text, QrXfer *xfer) {
    if (strcmp(text, "native") == 0)
        *xfer = QRXFER_NATIVE;
    else if (strcmp(text, "memory") == 0)
        *xfer = QRXFER_MEMORY;
    else if (strcmp(text, "file") == 0)
        *xfer = QRXFER_FILE;
    else
        return false;
    return true;
}

bool ParseFormat(const char *text, QrFormat *format) {
    if (strcmp(text, "bmp") == 0)
        *format = QRFORMAT_BMP;
    else if (strcmp(text, "tiff") == 0 || strcmp(text, "tif") == 0)
        *format = QRFORMAT_TIFF;
    else
        return false;
    return true;
}

bool IsFlag(const char *arg, const char *shortName, const char *longName) {
    return (shortName && strcmp(arg, shortName) == 0) || strcmp(arg, longName) == 0;
}

// The options without a value; FALSE when `arg` is none of them.
bool TakeFlag(const char *arg, QrScanOptions *o) {
    if (IsFlag(arg, "-h", "--help"))
        o->help = true;
    else if (IsFlag(arg, "-L", "--list"))
        o->list = true;
    else if (IsFlag(arg, "-A", "--all-options"))
        o->listCaps = true;
    else if (IsFlag(arg, nullptr, "--ui"))
        o->showUI = true;
    else if (IsFlag(arg, "-v", "--verbose"))
        o->verbose = true;
    else if (IsFlag(arg, nullptr, "--trace"))
        o->trace = true;
    else if (IsFlag(arg, "-b", "--batch"))
        o->batch = true;
    else if (IsFlag(arg, "-p", "--progress"))
        o->progress = true;
    else
        return false;
    return true;
}

// The options with a value; FALSE with *error set when the value is bad,
// FALSE with *error empty when `argv[*i]` is none of them.
bool TakeValued(int argc, char **argv, int *i, QrScanOptions *o, bool *formatGiven, std::string *error) {
    const char *v = nullptr;
    if (TakeValue(argc, argv, i, "--source", nullptr, &v)) {
        if (!v || !*v)
            *error = "--source needs the name of a data source";
        else
            o->source = v;
    } else if (TakeValue(argc, argv, i, "--timeout", nullptr, &v)) {
        if (!v || !ParseSeconds(v, &o->timeoutSeconds)) *error = "--timeout needs a number of seconds from 1 to 86400";
    } else if (TakeValue(argc, argv, i, "--xfer", "-x", &v) || TakeValue(argc, argv, i, "--mode", nullptr, &v)) {
        if (!v || !ParseXfer(v, &o->xfer)) *error = "--xfer needs native, memory or file";
    } else if (TakeValue(argc, argv, i, "--format", nullptr, &v)) {
        if (!v || !ParseFormat(v, &o->format)) *error = "--format needs bmp or tiff";
        *formatGiven = true;
    } else if (TakeValue(argc, argv, i, "--output", "-o", &v)) {
        if (!v || !*v)
            *error = "--output needs a file name";
        else
            o->output = v;
    } else if (TakeValue(argc, argv, i, "--set", nullptr, &v)) {
        if (!v || !strchr(v, '=') || *v == '=')
            *error = "--set needs CAPABILITY=VALUE";
        else
            o->sets.push_back(v);
    } else {
        return false;
    }
    return error->empty();
}

// What only the whole command line can tell.
bool CheckTogether(QrScanOptions *o, bool formatGiven, std::string *error) {
    bool hasPageNumber = false;
    if (!CheckOutputPattern(o->output, &hasPageNumber, error)) return false;
    if (o->batch && !o->output.empty() && !hasPageNumber) {
        *error = "--batch needs a page number in the output name, as in out%d.tif";
        return false;
    }
    if (!formatGiven && !FormatFromName(o->output, &o->format)) o->format = QRFORMAT_BMP;
    return true;
}

}  // namespace

bool ParseOptions(int argc, char **argv, QrScanOptions *options, std::string *error) {
    bool formatGiven = false;
    error->clear();
    for (int i = 1; i < argc; ++i) {
        if (TakeFlag(argv[i], options)) continue;
        if (TakeValued(argc, argv, &i, options, &formatGiven, error)) continue;
        if (error->empty()) *error = std::string("unknown option '") + argv[i] + "'";
        return false;
    }
    return CheckTogether(options, formatGiven, error);
}

// Where LoadManager looks for the Source Manager.
#if defined(_WIN32)
const char kManagerHelp[] =
    "The Source Manager is the one QR_TWAIN_DSM names when it is set and not\n"
    "empty; else TWAIN_32.DLL in the Windows directory, else TWAIN_32.DLL wherever\n"
    "the system finds it. --verbose names the one loaded.\n";
#else
const char kManagerHelp[] =
    "The Source Manager is the one QR_TWAIN_DSM names when it is set and not\n"
    "empty; else /usr/local/lib/libtwaindsm.so when it is installed; else QRVM's\n"
    "stand-in, TWAIN_32.DLL in $WINDIR or beside libqrplatform.so. --verbose names\n"
    "the one loaded.\n";
#endif

void PrintUsage(FILE *out) {
    fputs(
        "Usage: qrscan [OPTION]...\n"
        "Acquire images from a TWAIN data source through the Source Manager and save\n"
        "them as BMP or TIFF files.\n"
        "\n"
        "Choosing the source:\n"
        "  -L, --list             list the data sources and exit\n"
        "  -A, --all-options      list the source's capabilities with their current,\n"
        "                         default and allowed values and the messages each\n"
        "                         answers, and exit\n"
        "      --source NAME      use the data source whose product name is NAME\n"
        "                         (default: the first one found)\n"
        "\n"
        "Scanning:\n"
        "  -o, --output NAME      save the image as NAME; without it the image is only\n"
        "                         described and dropped. A page number in NAME (%d,\n"
        "                         %3d, %03d; %% for a percent sign) gives one file per\n"
        "                         page: out%d.tif makes out1.tif, out2.tif, ...\n"
        "  -x, --xfer MECH        how the image travels: native (one bitmap, the\n"
        "                         default), memory (strips) or file (the data source\n"
        "                         writes the file); --mode is the same option\n"
        "      --format FMT       bmp or tiff (default: from NAME's extension, else bmp)\n"
        "  -b, --batch            take every page of the job, not only the first\n"
        "      --set CAP=VALUE    set a capability before scanning, e.g.\n"
        "                         --set ICAP_PIXELTYPE=TWPT_GRAY --set ICAP_XRESOLUTION=600;\n"
        "                         may be given more than once\n"
        "      --ui               show the data source's own dialog instead of scanning\n"
        "                         at once\n"
        "      --timeout SECS     give up when no image is ready after SECS seconds\n"
        "                         (default 60)\n"
        "\n"
        "Reporting:\n"
        "  -p, --progress         show each memory transfer's progress on stderr (the\n"
        "                         data source shows its own for the images it holds)\n"
        "      --trace            print every triplet with its return and condition codes\n"
        "  -v, --verbose          report every step (implies --trace)\n"
        "  -h, --help             show this help and exit\n"
        "\n",
        out);
    fputs(kManagerHelp, out);
    fputs(
        "\n"
        "Ctrl-C cancels the transfer under way: the data source's Cancel button is\n"
        "pressed, the page's file is not left behind, and qrscan exits with status 3.\n"
        "Pages saved before stay. A third Ctrl-C ends qrscan at once.\n"
        "\n"
        "Exit status:\n"
        "  0  success\n"
        "  1  usage error\n"
        "  2  TWAIN failure (no Source Manager, no such source, an operation failed,\n"
        "     or no image in time)\n"
        "  3  cancelled (by Ctrl-C, by the scanner, or the source closed before an\n"
        "     image was ready)\n"
        "  4  input/output error (an output file cannot be written)\n",
        out);
}
