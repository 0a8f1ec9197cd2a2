#include "measure.h"

#include "win32.h"

#include <algorithm>
#include <fstream>
#include <malloc.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

// Keeps the compiler from dropping a copy nobody reads.
void Use(const void *p) { asm volatile("" : : "r"(p) : "memory"); }

std::vector<uint8_t> &Source() {
    static std::vector<uint8_t> source;
    return source;
}

long long StatusKilobytes(const char *key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    size_t length = strlen(key);
    while (std::getline(status, line))
        if (line.compare(0, length, key) == 0) return atoll(line.c_str() + length);
    return -1;
}

long long gResidentAtReset = -1;

std::vector<uint8_t> &Piece(size_t bytes) {
    static std::vector<uint8_t> piece;
    if (piece.size() < bytes) piece.assign(bytes, 0x5A);
    return piece;
}

bool WritePieces(HFILE file, size_t bytes, size_t piece) {
    const char *data = reinterpret_cast<const char *>(Piece(piece).data());
    for (size_t done = 0; done < bytes;) {
        UINT count = (UINT)std::min(piece, bytes - done);
        if (_lwrite(file, data, count) != count) return false;
        done += count;
    }
    return true;
}

}  // namespace

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

const uint8_t *WarmSource(size_t bytes) {
    std::vector<uint8_t> &source = Source();
    if (source.size() < bytes) {
        source.resize(bytes);
        for (size_t i = 0; i < bytes; ++i) source[i] = (uint8_t)(i * 7 + (i >> 12));
    }
    return source.data();
}

double CopyToNewBlock(size_t bytes) {
    const uint8_t *source = WarmSource(bytes);
    // A global block, as the transfers hand over.
    double start = Now();
    HGLOBAL handle = GlobalAlloc(GMEM_MOVEABLE, bytes);
    uint8_t *block = handle ? static_cast<uint8_t *>(GlobalLock(handle)) : nullptr;
    if (!block) {
        if (handle) GlobalFree(handle);
        return 0;
    }
    memcpy(block, source, bytes);
    Use(block);
    GlobalUnlock(handle);
    double seconds = Now() - start;
    GlobalFree(handle);
    return seconds;
}

double CopyToBuffer(size_t bytes, size_t piece) {
    const uint8_t *source = WarmSource(bytes);
    std::vector<uint8_t> buffer(piece);
    double start = Now();
    for (size_t done = 0; done < bytes; done += piece) {
        memcpy(buffer.data(), source + done, std::min(piece, bytes - done));
        Use(buffer.data());
    }
    return Now() - start;
}

double FileWrite(const std::string &path, size_t bytes, size_t piece, size_t lead) {
    lead = std::min(lead, bytes);
    Piece(std::max(piece, lead));
    double start = Now();
    HFILE file = _lcreat(path.c_str(), 0);
    if (file == HFILE_ERROR) return 0;
    bool written = WritePieces(file, lead, lead) && WritePieces(file, bytes - lead, piece);
    _lclose(file);
    double seconds = Now() - start;
    DeleteFileA(path.c_str());
    return written ? seconds : 0;
}

double FileRoundTrip(const std::string &path, size_t bytes, size_t piece) {
    std::vector<uint8_t> back(piece);
    Piece(piece);
    double start = Now();
    HFILE file = _lcreat(path.c_str(), 0);
    if (file == HFILE_ERROR) return 0;
    bool ok = WritePieces(file, bytes, piece);
    _lclose(file);
    file = _lopen(path.c_str(), OF_READ);
    for (size_t done = 0; ok && done < bytes;) {
        UINT count = (UINT)std::min(piece, bytes - done);
        ok = file != HFILE_ERROR && _lread(file, back.data(), count) == count;
        done += count;
    }
    if (file != HFILE_ERROR) _lclose(file);
    // A temporary file's life ends with its deletion, which is not free.
    DeleteFileA(path.c_str());
    double seconds = Now() - start;
    return ok ? seconds : 0;
}

void ResetPeak() {
    malloc_trim(0);  // what earlier work freed must not hide a later peak
    FILE *refs = fopen("/proc/self/clear_refs", "w");
    if (refs) {
        fputs("5", refs);  // 5: reset the peak resident size
        fclose(refs);
    }
    gResidentAtReset = StatusKilobytes("VmRSS:");
}

long long PeakSinceReset() {
    long long peak = StatusKilobytes("VmHWM:");
    if (peak < 0 || gResidentAtReset < 0) return 0;
    return peak > gResidentAtReset ? (peak - gResidentAtReset) * 1024 : 0;
}
