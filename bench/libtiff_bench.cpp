// Our TIFF file transfer of a queued page next to libtiff writing the same
// page, uncompressed in one strip, run by run. Ours reads the page back from
// the queue and the spool file as it writes; libtiff gets its rows from
// memory. Two ways of libtiff: a scanline at a time (libtiff then gathers the
// one strip in a buffer of its own before writing it), and the whole page in
// one call from an image already in memory.
#include "data_source.h"
#include "measure.h"
#include "results.h"
#include "transfer_bench.h"

#include <benchmark/benchmark.h>
#include <tiffio.h>

#include <algorithm>
#include <string.h>

namespace {

const TW_UINT32 kBlockKilobytes = 32;

enum class LibtiffWay { Scanlines, OneCall };

struct Page {
    TW_INT32 width, length;
    int bits;
    size_t rowBytes;
    size_t bytes() const { return rowBytes * (size_t)length; }
};

// Rows as the scanner makes them, so that both files hold the same page.
std::vector<TW_UINT8> PatternRows(const Page &page) {
    std::vector<TW_UINT8> rows((size_t)kPatternRows * page.rowBytes);
    for (size_t r = 0; r < kPatternRows; ++r)
        for (size_t b = 0; b < page.rowBytes; ++b)
            rows[r * page.rowBytes + b] = BenchPatternByte((TW_UINT32)r, (TW_UINT32)b);
    return rows;
}

void SetTags(TIFF *tif, const Page &page) {
    bool rgb = page.bits == 24;
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, (uint32_t)page.width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, (uint32_t)page.length);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, (uint16_t)(page.bits == 1 ? 1 : 8));
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, (uint16_t)(rgb ? 3 : 1));
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, rgb ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, (uint32_t)page.length);
    TIFFSetField(tif, TIFFTAG_XRESOLUTION, 114.0);
    TIFFSetField(tif, TIFFTAG_YRESOLUTION, 114.0);
    TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
}

// Seconds for libtiff to write the page; 0 when it failed.
double WriteWithLibtiff(const std::string &path, const Page &page, LibtiffWay way, const std::vector<TW_UINT8> &rows,
                        const uint8_t *image) {
    double start = Now();
    TIFF *tif = TIFFOpen(path.c_str(), "w");
    if (!tif) return 0;
    SetTags(tif, page);
    bool written = true;
    if (way == LibtiffWay::Scanlines) {
        for (TW_INT32 r = 0; written && r < page.length; ++r) {
            void *row = const_cast<TW_UINT8 *>(rows.data() + (size_t)(r % kPatternRows) * page.rowBytes);
            written = TIFFWriteScanline(tif, row, (uint32_t)r, 0) == 1;
        }
    } else {
        written = TIFFWriteEncodedStrip(tif, 0, const_cast<uint8_t *>(image), (tmsize_t)page.bytes()) >= 0;
    }
    TIFFClose(tif);
    return written ? Now() - start : 0;
}

void CompareWithLibtiff(benchmark::State &state, int bits, int dpi, LibtiffWay way) {
    Page page{(TW_INT32)(210.0 / 25.4 * dpi), (TW_INT32)(297.0 / 25.4 * dpi), bits, 0};
    page.rowBytes = ((size_t)page.width * (size_t)bits + 7) / 8;
    BenchImage image{page.width, page.length, (TW_INT16)bits, (TW_INT16)dpi, 0, TRUE, FALSE, kBlockKilobytes};
    DataSource ds;
    if (!ds.Load() || !ds.SetImage(image)) {
        state.SkipWithError(ds.error().empty() ? "the scanner cannot make the image" : ds.error().c_str());
        return;
    }
    std::vector<TW_UINT8> rows = PatternRows(page);
    std::vector<uint8_t> pageInMemory;  // the whole page in memory, for the one call
    if (way == LibtiffWay::OneCall)
        for (TW_INT32 r = 0; r < page.length; ++r) {
            const TW_UINT8 *row = rows.data() + (size_t)(r % kPatternRows) * page.rowBytes;
            pageInMemory.insert(pageInMemory.end(), row, row + page.rowBytes);
        }
    const uint8_t *whole = pageInMemory.data();
    TIFFSetWarningHandler(nullptr);
    std::string ours = ds.Scratch("ours.tif"), theirs = ds.Scratch("libtiff.tif");
    std::vector<double> oursSeconds, theirSeconds, ratios;
    double ourPeak = 0, theirPeak = 0, bytes = (double)page.bytes() + 180;
    for (auto _ : state) {
        // The page is received untimed: only the writing is compared.
        if (!ds.Announce() || ds.SetUpFile(ours, TWFF_TIFF) != TWRC_SUCCESS) {
            state.SkipWithError("the page was not announced");
            break;
        }
        ResetPeak();
        double start = Now();
        TW_UINT16 rc = ds.File();
        double seconds = Now() - start;
        ourPeak = std::max(ourPeak, (double)PeakSinceReset());
        ds.Finish();
        DeleteFileA(ours.c_str());
        if (rc != TWRC_XFERDONE || !ds.messages().empty()) {
            state.SkipWithError("our TIFF file transfer failed");
            break;
        }
        ResetPeak();
        double libtiff = WriteWithLibtiff(theirs, page, way, rows, whole);
        theirPeak = std::max(theirPeak, (double)PeakSinceReset());
        DeleteFileA(theirs.c_str());
        if (libtiff <= 0) {
            state.SkipWithError("libtiff could not write the page");
            break;
        }
        state.SetIterationTime(seconds);
        oursSeconds.push_back(seconds);
        theirSeconds.push_back(libtiff);
        ratios.push_back(seconds / libtiff);
    }
    ds.Unload();
    if (oursSeconds.empty()) return;
    Result result;
    result.kind = ResultKind::Libtiff;
    result.path = way == LibtiffWay::Scanlines ? "libtiff, a scanline at a time" : "libtiff, the page in one call";
    result.depth = bits;
    result.dpi = dpi;
    result.bytes = bytes;
    result.seconds = Median(oursSeconds);
    result.boundSeconds = Median(theirSeconds);
    result.ratio = Median(ratios);  // run against run
    result.target = 1.0;
    result.peakBytes = ourPeak;
    result.otherPeakBytes = theirPeak;
    result.imageBytes = (double)page.bytes();
    AddResult(result);
    state.SetBytesProcessed((int64_t)(bytes * (double)oursSeconds.size()));
    state.counters["libtiff_GB/s"] = bytes / result.boundSeconds / 1e9;
    state.counters["ratio"] = result.ratio;
}

}  // namespace

void RegisterLibtiffBenchmarks(const BenchOptions &options) {
    for (LibtiffWay way : {LibtiffWay::Scanlines, LibtiffWay::OneCall}) {
        for (int dpi : options.dpis) {
            for (int bits : {1, 8, 24}) {
                std::string name = std::string(way == LibtiffWay::Scanlines ? "tiff vs libtiff scanlines/"
                                                                            : "tiff vs libtiff one call/") +
                                   std::to_string(bits) + "bit/" + std::to_string(dpi) + "dpi";
                int runs = options.runs > 0 ? options.runs : dpi <= 300 ? 11 : dpi <= 600 ? 7 : 3;
                benchmark::RegisterBenchmark(name.c_str(), CompareWithLibtiff, bits, dpi, way)
                    ->UseManualTime()
                    ->Iterations(runs)
                    ->Unit(benchmark::kMillisecond);
            }
        }
    }
}
