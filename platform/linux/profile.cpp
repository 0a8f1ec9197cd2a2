// Settings files: GetPrivateProfileStringA, GetPrivateProfileIntA and
// WritePrivateProfileStringA over a plain INI reader and writer.
//
// Reading follows Win32: section and key names without case, spaces around
// names and values trimmed, a value in matching quotes unquoted, lines that
// begin with ';' or '#' ignored (and no comment stripping inside a value),
// the first matching key wins, and a file name without a folder is looked up
// in the Windows directory. Writing replaces the one line it changes and
// keeps every other line as it was, then swaps the new file in with rename()
// so that a reader never sees half a file (which needs write permission on
// the folder, not only on the file).
#include "kernel_internal.h"

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <mutex>
#include <new>
#include <vector>

namespace {

std::mutex gProfileWriteMutex;

struct IniText {
    std::vector<std::string> lines;  // without their line endings
    bool crlf = false;               // the file ends its lines with "\r\n"
};

std::string trim(const std::string &text) {
    const char *spaces = " \t\r\n\f\v";
    size_t first = text.find_first_not_of(spaces);
    if (first == std::string::npos) return std::string();
    size_t last = text.find_last_not_of(spaces);
    return text.substr(first, last - first + 1);
}

bool SameName(const std::string &a, const char *b) { return strcasecmp(a.c_str(), b) == 0; }

// "[name]" gives name; anything after the ']' is ignored, as on Win32.
bool ParseSectionHeader(const std::string &line, std::string *name) {
    std::string text = trim(line);
    if (text.empty() || text[0] != '[') return false;
    size_t close = text.find(']');
    if (close == std::string::npos) return false;
    *name = trim(text.substr(1, close - 1));
    return true;
}

bool IsComment(const std::string &text) { return !text.empty() && (text[0] == ';' || text[0] == '#'); }

// "key = value" gives both, trimmed; comments and lines without '=' give false.
bool ParseKeyLine(const std::string &line, std::string *key, std::string *value) {
    std::string text = trim(line);
    if (text.empty() || IsComment(text) || text[0] == '[') return false;
    size_t equals = text.find('=');
    if (equals == std::string::npos) return false;
    *key = trim(text.substr(0, equals));
    if (value) *value = trim(text.substr(equals + 1));
    return !key->empty();
}

std::string unquote(const std::string &value) {
    if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
        return value.substr(1, value.size() - 2);
    return value;
}

// A name without a folder lives in the Windows directory, as on Win32.
std::string ProfilePath(const char *file) {
    std::string native = kernel::NativePath(file);
    if (native.find('/') != std::string::npos) return native;
    char dir[MAX_PATH];
    UINT length = GetWindowsDirectoryA(dir, sizeof(dir));
    if (length == 0 || length >= sizeof(dir)) return native;
    return std::string(dir) + "/" + native;
}

bool ReadWholeFile(const std::string &path, std::string *text) {
    int fd = kernel::OpenDescriptor(path, O_RDONLY, 0);
    if (fd < 0) return false;
    char chunk[4096];
    for (;;) {
        ssize_t got = read(fd, chunk, sizeof(chunk));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            int err = errno;
            close(fd);
            errno = err;
            return got == 0;
        }
        text->append(chunk, static_cast<size_t>(got));
    }
}

void SplitLines(const std::string &text, IniText *ini) {
    ini->crlf = text.find("\r\n") != std::string::npos;
    size_t start = 0;
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) start = 3;  // a UTF-8 byte-order mark
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        ini->lines.push_back(line);
        start = end + 1;
    }
}

bool LoadIni(const std::string &path, IniText *ini) {
    std::string text;
    if (!ReadWholeFile(path, &text)) return false;
    SplitLines(text, ini);
    return true;
}

// Line numbers of a section: its header, and one past its last line.
struct SectionSpan {
    size_t header;
    size_t end;
};

bool FindSection(const IniText &ini, const char *section, SectionSpan *span) {
    std::string name;
    for (size_t i = 0; i < ini.lines.size(); i++) {
        if (!ParseSectionHeader(ini.lines[i], &name) || !SameName(name, section)) continue;
        span->header = i;
        span->end = i + 1;
        while (span->end < ini.lines.size() && !ParseSectionHeader(ini.lines[span->end], &name)) span->end++;
        return true;
    }
    return false;
}

bool FindKey(const IniText &ini, const SectionSpan &span, const char *key, size_t *line, std::string *value) {
    std::string name;
    for (size_t i = span.header + 1; i < span.end; i++) {
        if (ParseKeyLine(ini.lines[i], &name, value) && SameName(name, key)) {
            *line = i;
            return true;
        }
    }
    return false;
}

void CollectSectionNames(const IniText &ini, std::vector<std::string> *names) {
    std::string name;
    for (const std::string &line : ini.lines) {
        if (!ParseSectionHeader(line, &name)) continue;
        bool seen = false;
        for (const std::string &known : *names) seen = seen || SameName(known, name.c_str());
        if (!seen) names->push_back(name);
    }
}

void CollectKeyNames(const IniText &ini, const SectionSpan &span, std::vector<std::string> *names) {
    std::string key;
    for (size_t i = span.header + 1; i < span.end; i++) {
        if (ParseKeyLine(ini.lines[i], &key, nullptr)) names->push_back(key);
    }
}

// Copies a value cut to size-1 characters; returns the count copied.
DWORD CopyValue(const std::string &value, LPSTR out, DWORD size) {
    size_t length = value.size() < size - 1 ? value.size() : size - 1;
    memcpy(out, value.data(), length);
    out[length] = '\0';
    return static_cast<DWORD>(length);
}

// Names as Win32 lists them: each ended by a NUL, the list by one more. When
// it does not fit, the list is cut, ends in two NULs and the result is size-2.
DWORD CopyNameList(const std::vector<std::string> &names, LPSTR out, DWORD size) {
    std::string list;
    for (const std::string &name : names) list.append(name).push_back('\0');
    list.push_back('\0');
    if (list.size() <= size) {
        memcpy(out, list.data(), list.size());
        return static_cast<DWORD>(list.size() - 1);
    }
    if (size < 2) {
        out[0] = '\0';
        return 0;
    }
    memcpy(out, list.data(), size - 2);
    out[size - 2] = '\0';
    out[size - 1] = '\0';
    return size - 2;
}

// Win32 drops trailing spaces of the default.
std::string TrimmedDefault(const char *defaultValue) {
    std::string value = defaultValue ? defaultValue : "";
    while (!value.empty() && value.back() == ' ') value.pop_back();
    return value;
}

// Win32's reading of a number: optional sign, then decimal or 0x hex digits,
// up to the first other character; wraps modulo 2^32 rather than failing.
UINT ParseProfileInt(const char *text) {
    while (*text == ' ' || *text == '\t') text++;
    bool negative = *text == '-';
    if (*text == '-' || *text == '+') text++;
    unsigned base = 10;
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text += 2;
    }
    UINT value = 0;
    for (;; text++) {
        unsigned digit;
        if (*text >= '0' && *text <= '9')
            digit = static_cast<unsigned>(*text - '0');
        else if (base == 16 && *text >= 'a' && *text <= 'f')
            digit = static_cast<unsigned>(*text - 'a' + 10);
        else if (base == 16 && *text >= 'A' && *text <= 'F')
            digit = static_cast<unsigned>(*text - 'A' + 10);
        else
            break;
        value = value * base + digit;
    }
    return negative ? 0u - value : value;
}

// ---- writing

void SetKey(IniText *ini, const char *section, const char *key, const char *value) {
    std::string line = std::string(key) + "=" + value;
    SectionSpan span;
    if (!FindSection(*ini, section, &span)) {
        if (!ini->lines.empty() && !trim(ini->lines.back()).empty()) ini->lines.push_back(std::string());
        ini->lines.push_back("[" + std::string(section) + "]");
        ini->lines.push_back(line);
        return;
    }
    size_t at;
    std::string old;
    if (FindKey(*ini, span, key, &at, &old)) {
        ini->lines[at] = line;
        return;
    }
    // After the section's last non-blank line, so blank separators stay below.
    size_t insert = span.end;
    while (insert > span.header + 1 && trim(ini->lines[insert - 1]).empty()) insert--;
    ini->lines.insert(ini->lines.begin() + static_cast<std::ptrdiff_t>(insert), line);
}

bool DeleteKey(IniText *ini, const char *section, const char *key) {
    SectionSpan span;
    size_t at;
    std::string old;
    if (!FindSection(*ini, section, &span) || !FindKey(*ini, span, key, &at, &old)) return false;
    ini->lines.erase(ini->lines.begin() + static_cast<std::ptrdiff_t>(at));
    return true;
}

bool DeleteSection(IniText *ini, const char *section) {
    SectionSpan span;
    if (!FindSection(*ini, section, &span)) return false;
    ini->lines.erase(ini->lines.begin() + static_cast<std::ptrdiff_t>(span.header),
                     ini->lines.begin() + static_cast<std::ptrdiff_t>(span.end));
    return true;
}

std::string JoinLines(const IniText &ini) {
    const char *ending = ini.crlf ? "\r\n" : "\n";
    std::string text;
    for (const std::string &line : ini.lines) text.append(line).append(ending);
    return text;
}

// The mode the settings file has, or gets when it is created now (0666 less
// the umask, found by creating it empty: an empty file reads as a missing one).
bool SettingsFileMode(const std::string &path, mode_t *mode) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0) {
        int fd = kernel::OpenDescriptor(path, O_WRONLY | O_CREAT | O_EXCL, 0666);
        if (fd < 0 || fstat(fd, &st) != 0) {
            kernel::SetErrorFromErrnoForPath(errno, path);
            if (fd >= 0) close(fd);
            return false;
        }
        close(fd);
    }
    *mode = st.st_mode & 07777;
    return true;
}

// Writes a whole new file beside the old one and renames it into place. A
// link is followed, so the file it names is replaced, not the link.
bool ReplaceFile(const std::string &path, const std::string &text) {
    std::string target = path;
    char *real = realpath(path.c_str(), nullptr);
    if (real) {
        target = real;
        free(real);
    }
    mode_t mode;
    if (!SettingsFileMode(target, &mode)) return false;
    std::string temp = kernel::DirectoryOf(target) + "/." + kernel::BaseNameOf(target) + ".XXXXXX";
    int fd = mkostemp(&temp[0], O_CLOEXEC);
    if (fd < 0) {
        kernel::SetErrorFromErrnoForPath(errno, temp);
        return false;
    }
    bool written = fchmod(fd, mode) == 0 && kernel::WriteFully(fd, text.data(), text.size()) >= 0 && fsync(fd) == 0;
    int err = errno;
    if (close(fd) != 0 && written) {
        written = false;
        err = errno;
    }
    if (written && rename(temp.c_str(), target.c_str()) == 0) return true;
    if (written) err = errno;
    unlink(temp.c_str());
    kernel::SetErrorFromErrno(err);
    return false;
}

DWORD GetProfileString(const char *section, const char *key, const char *defaultValue, LPSTR out, DWORD size,
                       const char *file) {
    IniText ini;
    bool loaded = LoadIni(ProfilePath(file), &ini);
    if (!loaded) SetLastError(ERROR_FILE_NOT_FOUND);
    if (!section) {
        std::vector<std::string> names;
        CollectSectionNames(ini, &names);
        return CopyNameList(names, out, size);
    }
    SectionSpan span;
    bool hasSection = FindSection(ini, section, &span);
    if (!key) {
        std::vector<std::string> names;
        if (hasSection) CollectKeyNames(ini, span, &names);
        return CopyNameList(names, out, size);
    }
    size_t line;
    std::string value;
    if (hasSection && FindKey(ini, span, key, &line, &value)) return CopyValue(unquote(value), out, size);
    return CopyValue(TrimmedDefault(defaultValue), out, size);
}

}  // namespace

// A NULL section lists the section names, a NULL key the section's keys.
WINBASEAPI DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR out, DWORD size,
                                          LPCSTR file) {
    if (!out || size == 0) return 0;
    if (!file) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return CopyValue(TrimmedDefault(defaultValue), out, size);
    }
    try {
        return GetProfileString(section, key, defaultValue, out, size, file);
    } catch (const std::bad_alloc &) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return CopyValue(std::string(), out, size);
    }
}

// A missing or empty value gives the default.
WINBASEAPI UINT GetPrivateProfileIntA(LPCSTR section, LPCSTR key, int defaultValue, LPCSTR file) {
    char text[64];
    if (!section || !key || GetPrivateProfileStringA(section, key, "", text, sizeof(text), file) == 0)
        return static_cast<UINT>(defaultValue);
    return ParseProfileInt(text);
}

// A NULL value deletes the key, a NULL key the whole section; all three NULL
// asks Win32 to flush its cache, which this layer does not keep.
WINBASEAPI BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR file) {
    if (!section && !key && !value) return TRUE;
    if (!section || !file) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::lock_guard<std::mutex> lock(gProfileWriteMutex);
    try {
        std::string path = ProfilePath(file);
        IniText ini;
        bool loaded = LoadIni(path, &ini);
        if (!loaded && errno != ENOENT) {
            kernel::SetErrorFromErrnoForPath(errno, path);
            return FALSE;
        }
        if (!key || !value) {
            bool changed = key ? DeleteKey(&ini, section, key) : DeleteSection(&ini, section);
            return !changed || ReplaceFile(path, JoinLines(ini));
        }
        SetKey(&ini, section, key, value);
        return ReplaceFile(path, JoinLines(ini));
    } catch (const std::bad_alloc &) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
}
