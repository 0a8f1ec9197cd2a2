#include "protocol.h"

#include <string.h>

SourceProtocol gProtocol = SourceProtocol::Twain15;

SourceProtocol ParseProtocol(const char *text) {
    while (*text == ' ' || *text == '\t') ++text;
    size_t length = strlen(text);
    while (length > 0 && (text[length - 1] == ' ' || text[length - 1] == '\t')) --length;
    return length == 3 && strncmp(text, "2.4", 3) == 0 ? SourceProtocol::Twain24 : SourceProtocol::Twain15;
}
