// Fuzz target: the reader of the scan module's TIFF file, the memory
// transfer's file mode. The scan module writes the input as its file; the
// application asks for the buffer sizes (the file is read then) and takes
// strips until the transfer ends. Every strip must fit the buffer it was
// given, and the file must be gone once the image is ended.
//
// Input: a byte choosing the pixel type (bilevel, grey, colour, or the
// next byte as it is), three bytes choosing the application's buffer
// (fuzz_records.cpp: one row, one byte, 2^k - 1 bytes, handles...), then
// the file's bytes.
#include "fuzz_records.h"

#include <string.h>

static const int kMaxStrips = 4096;

static TW_IMAGEINFO DescribedImage(uint8_t pixel, uint8_t raw) {
    TW_IMAGEINFO info{};
    info.XResolution.Whole = info.YResolution.Whole = 300;
    info.ImageWidth = 100;
    info.ImageLength = 10;  // known: the file is the image's only road
    static const TW_INT16 kBits[] = {1, 8, 24};
    info.PixelType = pixel % 4 < 3 ? (TW_INT16)(pixel % 4) : raw;  // TWPT_BW, TWPT_GRAY, TWPT_RGB
    info.BitsPerPixel = pixel % 4 < 3 ? kBits[pixel % 4] : 8;
    info.SamplesPerPixel = info.BitsPerPixel == 24 ? 3 : 1;
    info.Planar = 1;
    return info;
}

// The source is loaded before the first input, so that the fuzzer counts
// its coverage from the start.
extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    FuzzHost::Get();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    FuzzHost &host = FuzzHost::Get();
    FuzzInput in(data, size);
    uint8_t pixel = in.Byte();
    uint8_t bufferShape[3] = {in.Byte(), in.Byte(), in.Byte()};
    size_t fileBytes = in.Left();
    const uint8_t *file = in.Span(&fileBytes);

    FuzzInput quiet;
    FuzzScanScript script = {&quiet, file, fileBytes, DescribedImage(pixel, bufferShape[2])};
    if (!fileBytes) script.scanFile = reinterpret_cast<const uint8_t *>("");  // an empty file
    host.StartScanModule(&script);
    FuzzCheck(host.Open() == TWRC_SUCCESS, "opening the source");
    TW_USERINTERFACE ui{};
    FuzzCheck(host.Call(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui) == TWRC_SUCCESS, "enabling");
    host.ReadytoScan(0);  // the image is ready
    TW_SETUPMEMXFER sizes{};
    FuzzCheck(host.Call(DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, &sizes) == TWRC_SUCCESS, "the buffer sizes");

    for (int strip = 0; strip < kMaxStrips; ++strip) {
        FuzzInput shape(bufferShape, sizeof bufferShape);
        TW_IMAGEMEMXFER record{};
        StripBuffer buffer;
        buffer.Make(shape, sizes.Preferred, &record.Memory);
        TW_UINT16 rc = host.Call(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &record);
        CheckStrip(rc, record, buffer.capacity);
        if (rc == TWRC_FAILURE) FuzzCheck(host.Status() != TWCC_SUCCESS, "a failure without a condition code");
        if (rc != TWRC_SUCCESS) break;
    }
    host.EndInput();
    return 0;
}
