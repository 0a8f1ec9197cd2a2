// Every transfer path timed through DS_Entry, from the scanner's first block
// to the image in the application's hands, each run paired with its bound:
// the plain copies and file calls that move the same bytes the way the path
// must move them. A path's own work is the difference.
#include "transfer_bench.h"

#include "data_source.h"
#include "measure.h"
#include "results.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <malloc.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

namespace {

enum class Road { Native, Memory, MemoryFileMode, Bmp, Tiff, Reception };
enum class Arrival { Direct, Queued, Enlarged };

struct PathSpec {
    const char *name;
    Road road;
    Arrival arrival;
    double target;         // ratio to the bound; 0 for none
    int num = 2, den = 1;  // enlargement: requested / scanned resolution
};

// Queued paths within 1.5 times their bound, enlarged ones within 2.
const PathSpec kPaths[] = {
    {"reception", Road::Reception, Arrival::Queued, 1.5},
    {"native direct", Road::Native, Arrival::Direct, 1.5},
    {"native queued", Road::Native, Arrival::Queued, 1.5},
    {"native enlarged", Road::Native, Arrival::Enlarged, 2.0},
    {"memory direct", Road::Memory, Arrival::Direct, 1.5},
    {"memory queued", Road::Memory, Arrival::Queued, 1.5},
    {"memory enlarged", Road::Memory, Arrival::Enlarged, 2.0},
    // Any other ratio walks the ruler pixel by pixel.
    {"memory enlarged 3/2", Road::Memory, Arrival::Enlarged, 2.0, 3, 2},
    {"memory file mode", Road::MemoryFileMode, Arrival::Direct, 1.5},
    {"file BMP queued", Road::Bmp, Arrival::Queued, 1.5},
    {"file BMP enlarged", Road::Bmp, Arrival::Enlarged, 2.0},
    {"file TIFF queued", Road::Tiff, Arrival::Queued, 1.5},
    {"file TIFF enlarged", Road::Tiff, Arrival::Enlarged, 2.0},
};

const TW_UINT32 kBlockKilobytes = 32;  // the reference scanner's block
const size_t kBlockBytes = kBlockKilobytes * 1024;

// An A4 page, 210 x 297 mm, at `dpi`.
TW_INT32 A4Width(int dpi) { return (TW_INT32)(210.0 / 25.4 * dpi); }
TW_INT32 A4Length(int dpi) { return (TW_INT32)(297.0 / 25.4 * dpi); }

size_t RowBytes(size_t width, int bits) { return (width * (size_t)bits + 7) / 8; }

// What the scanner delivers for a page of `dpi` by this path: an enlarged
// page is scanned at a lower resolution (as a rule half) and enlarged.
BenchImage ImageFor(const PathSpec &path, int bits, int dpi) {
    BenchImage image{};
    bool enlarged = path.arrival == Arrival::Enlarged;
    int scanned = enlarged ? dpi * path.den / path.num : dpi;
    image.width = A4Width(scanned);
    image.length = A4Length(scanned);
    image.bits = (TW_INT16)bits;
    image.scannedDpi = (TW_INT16)scanned;
    image.requestedDpi = enlarged ? (TW_UINT16)dpi : 0;
    image.openLength = path.arrival != Arrival::Direct;
    image.deliversFiles = path.road == Road::MemoryFileMode;
    image.blockKilobytes = kBlockKilobytes;
    return image;
}

// Pixels after enlargement by num/den, as the data source counts them.
size_t Enlarged(size_t pixels, int num, int den) { return pixels * (size_t)num / (size_t)den; }

// The top row of the page as delivered, red first, unpadded. Unenlarged, it
// is the scanner's row as it was, part byte and all; enlarged, output pixel i
// shows source pixel floor((2i + 1) den / 2 num) and the bits after the last
// pixel are 0.
std::vector<TW_UINT8> ExpectedTopRow(const BenchImage &image, int num, int den) {
    size_t sourceBytes = RowBytes((size_t)image.width, image.bits);
    std::vector<TW_UINT8> source(sourceBytes);
    for (size_t b = 0; b < sourceBytes; ++b) source[b] = BenchPatternByte(0, (TW_UINT32)b);
    if (num == den) return source;
    size_t width = Enlarged((size_t)image.width, num, den);
    std::vector<TW_UINT8> row(RowBytes(width, image.bits), 0);
    for (size_t i = 0; i < width; ++i) {
        size_t k = (2 * i + 1) * (size_t)den / (2 * (size_t)num);
        if (image.bits == 1) {
            int bit = (source[k / 8] >> (7 - k % 8)) & 1;
            row[i / 8] |= (TW_UINT8)(bit << (7 - i % 8));
        } else {
            size_t samples = image.bits / 8;
            for (size_t s = 0; s < samples; ++s) row[i * samples + s] = source[k * samples + s];
        }
    }
    return row;
}

void SwapRedBlue(std::vector<TW_UINT8> &row) {
    for (size_t i = 0; i + 2 < row.size(); i += 3) std::swap(row[i], row[i + 2]);
}

// Whether `at` starts with `expected`; blue first for bitmaps.
bool RowMatches(const TW_UINT8 *at, std::vector<TW_UINT8> expected, int bits, bool blueFirst) {
    if (blueFirst && bits == 24) SwapRedBlue(expected);
    return memcmp(at, expected.data(), expected.size()) == 0;
}

std::vector<TW_UINT8> ReadFile(const std::string &path, size_t offset, size_t bytes) {
    std::vector<TW_UINT8> data(bytes);
    FILE *file = fopen(path.c_str(), "rb");
    bool read = file && fseek(file, (long)offset, SEEK_SET) == 0 && fread(data.data(), 1, bytes, file) == bytes;
    if (file) fclose(file);
    if (!read) data.clear();
    return data;
}

double FileSize(const std::string &path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 ? (double)info.st_size : 0;
}

// One run of a path: its time, what it delivered, and whether the top row
// came out right.
struct Run {
    double seconds = 0;
    double receptionSeconds = 0;  // of which the image's reception
    double bytes = 0;
    long long peak = 0;
    std::string failure;
};

class PathRunner {
public:
    PathRunner(const PathSpec &path, int bits, int dpi) : path_(path), image_(ImageFor(path, bits, dpi)) {}

    bool Start(std::string *error) {
        if (!ds_.Load()) {
            *error = ds_.error();
            return false;
        }
        if (!ds_.SetImage(image_)) {
            *error = "the scanner cannot make the image";
            return false;
        }
        buffer_.assign(kBlockBytes, 0);
        bool enlarged = path_.arrival == Arrival::Enlarged;
        expected_ = ExpectedTopRow(image_, enlarged ? path_.num : 1, enlarged ? path_.den : 1);
        return true;
    }

    Run Once(bool check) {
        Run run;
        std::string output = ds_.Scratch(path_.road == Road::Bmp ? "page.bmp" : "page.tif");
        ResetPeak();
        double start = Now();
        if (!ds_.Announce()) {
            run.failure = "the image was not announced";
            return run;
        }
        run.receptionSeconds = Now() - start;
        TW_UINT16 rc = TWRC_FAILURE;
        TW_HANDLE dib = nullptr;
        unsigned long long stripBytes = 0;
        switch (path_.road) {
        case Road::Reception:
            rc = TWRC_XFERDONE;
            break;
        case Road::Native:
            rc = ds_.Native(&dib);
            break;
        case Road::Memory:
        case Road::MemoryFileMode:
            if (ds_.PreferredBufferSize() != kBlockBytes) break;
            rc = ds_.Memory(buffer_, &stripBytes, check ? &firstStrip_ : nullptr);
            break;
        case Road::Bmp:
        case Road::Tiff:
            if (ds_.SetUpFile(output, path_.road == Road::Bmp ? TWFF_BMP : TWFF_TIFF) != TWRC_SUCCESS) break;
            rc = ds_.File();
            break;
        }
        run.seconds = Now() - start;
        run.peak = PeakSinceReset();

        run.bytes = Delivered(dib, stripBytes, output);
        if (rc != TWRC_XFERDONE)
            run.failure = "the transfer returned " + std::to_string(rc);
        else if (!ds_.messages().empty())
            run.failure = "the data source said: " + ds_.messages().front();
        else if (check && !TopRowRight(dib, output))
            run.failure = "the top row came out wrong";
        DataSource::Free(dib);
        DeleteFileA(output.c_str());
        if (!ds_.Finish() && run.failure.empty()) run.failure = "the transfer could not be ended";
        return run;
    }

    // The bound of one run: the same bytes moved by the plain calls the path
    // cannot do without, in the pieces it makes them in. The spool file takes
    // each block as the scanner filled it (whole rows); a TIFF file takes the
    // blocks, or one enlarged row per write; a BMP file 32 KiB at a time.
    double Bound(double delivered) {
        malloc_trim(0);  // a new block gets new pages, as the path's did
        size_t rowBytes = RowBytes((size_t)image_.width, image_.bits);
        size_t received = rowBytes * (size_t)image_.length;
        size_t block = std::max<size_t>(kBlockBytes / rowBytes, 1) * rowBytes;
        size_t bytes = (size_t)delivered;
        std::string scratch = ds_.Scratch("bound.tmp");
        bool spooled = path_.arrival != Arrival::Direct;
        double seconds = spooled && path_.road != Road::Reception ? FileRoundTrip(scratch, received, block) : 0;
        switch (path_.road) {
        case Road::Reception:
            return FileWrite(scratch, received, block);
        case Road::Native:
            return seconds + CopyToNewBlock(bytes);
        case Road::Memory:
            // Queued strips are read from the spool file straight into the
            // application's buffer.
            return path_.arrival == Arrival::Queued ? seconds : seconds + CopyToBuffer(bytes, kBlockBytes);
        case Road::MemoryFileMode:
            return FileRoundTrip(scratch, bytes, block);
        case Road::Bmp:
            return seconds + FileWrite(scratch, bytes, 0x8000, 14);  // the file header goes first
        case Road::Tiff: {
            bool enlarged = path_.arrival == Arrival::Enlarged;
            size_t row = RowBytes(Enlarged((size_t)image_.width, path_.num, path_.den), image_.bits);
            return seconds + FileWrite(scratch, bytes, enlarged ? row : block, 180);  // after the header
        }
        }
        return 0;
    }

    const char *BoundName() const {
        bool spooled = path_.arrival != Arrival::Direct;
        switch (path_.road) {
        case Road::Reception:
            return "write";
        case Road::Native:
            return spooled ? "write+read, copy to new block" : "copy to new block";
        case Road::Memory:
            if (path_.arrival == Arrival::Queued) return "write+read";
            return spooled ? "write+read, copy to buffer" : "copy to buffer";
        case Road::MemoryFileMode:
            return "write+read";
        default:
            return "write+read, write";
        }
    }

    size_t ImageBytes() const {
        bool enlarged = path_.arrival == Arrival::Enlarged;
        size_t width = enlarged ? Enlarged((size_t)image_.width, path_.num, path_.den) : (size_t)image_.width;
        size_t length = enlarged ? Enlarged((size_t)image_.length, path_.num, path_.den) : (size_t)image_.length;
        return RowBytes(width, image_.bits) * length;
    }

    void Stop() { ds_.Unload(); }

private:
    double Delivered(TW_HANDLE dib, unsigned long long stripBytes, const std::string &output) {
        switch (path_.road) {
        case Road::Reception:
            return (double)ds_.ScannerBytes();
        case Road::Native:
            return (double)DataSource::BitmapBytes(dib);
        case Road::Memory:
        case Road::MemoryFileMode:
            return (double)stripBytes;
        default:
            return FileSize(output);
        }
    }

    bool TopRowRight(TW_HANDLE dib, const std::string &output) {
        int bits = image_.bits;
        size_t stride = (expected_.size() + 3) / 4 * 4;
        switch (path_.road) {
        case Road::Reception:
            return true;
        case Road::Native: {
            const TW_UINT8 *at = static_cast<const TW_UINT8 *>(dib);
            size_t bytes = DataSource::BitmapBytes(dib);
            return at && bytes >= stride && RowMatches(at + bytes - stride, expected_, bits, true);
        }
        case Road::Memory:
        case Road::MemoryFileMode:
            return firstStrip_.size() >= expected_.size() && RowMatches(firstStrip_.data(), expected_, bits, false);
        case Road::Bmp: {
            std::vector<TW_UINT8> row = ReadFile(output, (size_t)FileSize(output) - stride, expected_.size());
            return !row.empty() && RowMatches(row.data(), expected_, bits, true);
        }
        case Road::Tiff: {
            std::vector<TW_UINT8> row = ReadFile(output, 180, expected_.size());  // the rows follow the header
            return !row.empty() && RowMatches(row.data(), expected_, bits, false);
        }
        }
        return false;
    }

    const PathSpec &path_;
    BenchImage image_;
    DataSource ds_;
    std::vector<TW_UINT8> buffer_, firstStrip_, expected_;
};

void BenchmarkPath(benchmark::State &state, const PathSpec &path, int bits, int dpi) {
    PathRunner runner(path, bits, dpi);
    std::string error;
    if (!runner.Start(&error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    std::vector<double> seconds, receptions, bounds, ratios;
    double bytes = 0, peak = 0;
    bool first = true;
    for (auto _ : state) {
        Run run = runner.Once(first);
        if (!run.failure.empty()) {
            state.SkipWithError(run.failure.c_str());
            break;
        }
        first = false;
        state.SetIterationTime(run.seconds);
        double bound = runner.Bound(run.bytes);
        seconds.push_back(run.seconds);
        receptions.push_back(run.receptionSeconds);
        bounds.push_back(bound);
        ratios.push_back(bound > 0 ? run.seconds / bound : 0);
        bytes = run.bytes;
        peak = std::max(peak, (double)run.peak);
        if (getenv("QR_BENCH_VERBOSE"))
            fprintf(stderr, "%s %dbit %ddpi: path %.1f ms (reception %.1f ms), bound %.1f ms\n", path.name, bits, dpi,
                    run.seconds * 1e3, run.receptionSeconds * 1e3, bound * 1e3);
    }
    runner.Stop();
    if (seconds.empty()) return;
    Result result;
    result.path = path.name;
    result.depth = bits;
    result.dpi = dpi;
    result.bytes = bytes;
    result.seconds = Median(seconds);
    result.receptionSeconds = path.arrival == Arrival::Direct ? 0 : Median(receptions);
    result.boundSeconds = Median(bounds);
    // Each run against the bound measured beside it: the machine's noise
    // falls on both.
    result.ratio = Median(ratios);
    result.target = path.target;
    result.bound = runner.BoundName();
    result.peakBytes = peak;
    result.imageBytes = (double)runner.ImageBytes();
    AddResult(result);
    state.SetBytesProcessed((int64_t)(bytes * (double)seconds.size()));
    state.counters["bound_GB/s"] = result.boundSeconds > 0 ? bytes / result.boundSeconds / 1e9 : 0;
    state.counters["ratio"] = result.ratio;
    state.counters["peak_MB"] = peak / 1e6;
}

// Fewer runs of the larger pages: a 1200 dpi colour page is 400 MB.
int RunsFor(int dpi, const BenchOptions &options) {
    if (options.runs > 0) return options.runs;
    return dpi <= 300 ? 11 : dpi <= 600 ? 7 : 3;
}

}  // namespace

void RegisterTransferBenchmarks(const BenchOptions &options) {
    for (const PathSpec &path : kPaths) {
        for (int dpi : options.dpis) {
            // Requests of 300 dpi and less are never enlarged.
            if (path.arrival == Arrival::Enlarged && dpi <= 300) continue;
            for (int bits : {1, 8, 24}) {
                std::string name =
                    std::string(path.name) + "/" + std::to_string(bits) + "bit/" + std::to_string(dpi) + "dpi";
                benchmark::RegisterBenchmark(name.c_str(), BenchmarkPath, path, bits, dpi)
                    ->UseManualTime()
                    ->Iterations(RunsFor(dpi, options))
                    ->Unit(benchmark::kMillisecond);
            }
        }
    }
}
