#include "output_names.h"

#include <ctype.h>
#include <stdio.h>

namespace {

// A conversion at text[at] == '%': its width (0 none), zero padding, and its
// length in characters. FALSE for anything but %%, %d, %Nd, %0Nd.
bool ReadConversion(const std::string &text, size_t at, bool *percent, int *width, bool *zeros, size_t *length) {
    size_t i = at + 1;
    *percent = i < text.size() && text[i] == '%';
    if (*percent) {
        *length = 2;
        return true;
    }
    *zeros = i < text.size() && text[i] == '0';
    if (*zeros) ++i;
    *width = 0;
    if (i < text.size() && isdigit((unsigned char)text[i])) *width = text[i++] - '0';
    if (i >= text.size() || text[i] != 'd') return false;
    *length = i + 1 - at;
    return true;
}

std::string Lower(std::string text) {
    for (char &c : text) c = (char)tolower((unsigned char)c);
    return text;
}

bool EndsWith(const std::string &text, const char *suffix) {
    std::string tail(suffix);
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

bool CheckOutputPattern(const std::string &pattern, bool *hasPageNumber, std::string *error) {
    *hasPageNumber = false;
    for (size_t at = 0; at < pattern.size(); ++at) {
        if (pattern[at] != '%') continue;
        bool percent = false, zeros = false;
        int width = 0;
        size_t length = 0;
        if (!ReadConversion(pattern, at, &percent, &width, &zeros, &length)) {
            *error = "the output name \"" + pattern + "\" has a '%' that is not %d, %Nd, %0Nd or %%";
            return false;
        }
        if (!percent && *hasPageNumber) {
            *error = "the output name \"" + pattern + "\" has more than one page number";
            return false;
        }
        *hasPageNumber |= !percent;
        at += length - 1;
    }
    return true;
}

std::string OutputNameForPage(const std::string &pattern, int page) {
    std::string name;
    for (size_t at = 0; at < pattern.size(); ++at) {
        bool percent = false, zeros = false;
        int width = 0;
        size_t length = 0;
        if (pattern[at] != '%' || !ReadConversion(pattern, at, &percent, &width, &zeros, &length)) {
            name += pattern[at];
            continue;
        }
        char number[32];
        if (percent)
            snprintf(number, sizeof number, "%%");
        else
            snprintf(number, sizeof number, zeros ? "%0*d" : "%*d", width, page);
        name += number;
        at += length - 1;
    }
    return name;
}

bool FormatFromName(const std::string &name, QrFormat *format) {
    std::string lower = Lower(name);
    if (EndsWith(lower, ".bmp"))
        *format = QRFORMAT_BMP;
    else if (EndsWith(lower, ".tif") || EndsWith(lower, ".tiff"))
        *format = QRFORMAT_TIFF;
    else
        return false;
    return true;
}
