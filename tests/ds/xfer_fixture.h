// Transfers through DS_Entry: the fake scanner's image announced, then taken
// as a bitmap, a file or strips. Every test ends with nothing left behind: no
// global block, window or temporary file the data source made.
#ifndef QR_TESTS_DS_XFER_FIXTURE_H
#define QR_TESTS_DS_XFER_FIXTURE_H

#include "harness.h"
#include "image_model.h"

#include <iosfwd>

// Fields of the packed TWAIN records are compared as values (+record.Field):
// EXPECT_EQ would otherwise bind a reference to a misaligned member.

// The three transfers, the file transfer in both formats the source writes.
enum class Road { Native, Bmp, Tiff, Memory };
const char *RoadName(Road road);

class TransferTest : public DataSourceTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // An image the scan module delivers itself, in whichever form is asked.
    void ScriptDirect(int width, int length, int bits);
    // An image of open length, received into the queue before it is
    // announced, in blocks of `rowsPerBlock` rows (the last takes the rest).
    void ScriptQueued(int width, int length, int bits, int rowsPerBlock, TW_UINT32 blockKilobytes = 32);
    // The same with the rows of each block given.
    void ScriptBlocks(int width, int bits, const std::vector<int> &blockRows, TW_UINT32 blockKilobytes = 32);
    // Scanned at `scanned` dpi for a request of `requested`: an enlargement
    // when the request is above 300.
    void ScanAt(int scanned, int requested);
    // Loads, opens and enables the source: the image is announced (600).
    void Announce();

    TW_UINT16 NativeXfer(TW_HANDLE *dib);
    // The bitmap's bytes; the handle is freed, as an application would.
    Bytes TakeDib(TW_HANDLE dib);
    TW_UINT16 SetUpFile(const std::string &path, TW_UINT16 format);
    TW_UINT16 FileXfer(const std::string &path, TW_UINT16 format);
    TW_UINT16 MemXfer(TW_IMAGEMEMXFER *strip);
    TW_SETUPMEMXFER SetUpMemory();
    void EndXfer();
    // The whole image by `road`: the bitmap, the file's bytes (the file is
    // removed), or every strip's bytes in buffers of the preferred size.
    // The last return code.
    TW_UINT16 TransferBy(Road road, Bytes *delivered);

    // A path outside the data source's temporary folder.
    std::string Scratch(const std::string &name) const { return folder_ + "/" + name; }
    // The file decoded by Pillow (and libtiff for a TIFF) shows `image`, at
    // `dpi` when it is given.
    void ExpectDecodesTo(const std::string &path, const Image &image, int dpi = 0);
    bool Shown(const std::string &text) const;

    Image scanned_;  // what the fake scanner delivers
    long baselineHandles_ = 0;
    long baselineWindows_ = 0;
};

// What a strip's record says of it, for comparing strips in one go.
struct StripShape {
    TW_UINT32 bytesPerRow, columns, rows, yOffset, bytesWritten;
    bool operator==(const StripShape &o) const {
        return bytesPerRow == o.bytesPerRow && columns == o.columns && rows == o.rows && yOffset == o.yOffset &&
               bytesWritten == o.bytesWritten;
    }
};
std::ostream &operator<<(std::ostream &out, const StripShape &s);
StripShape ShapeOf(const TW_IMAGEMEMXFER &strip);

#endif
