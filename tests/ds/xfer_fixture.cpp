#include "xfer_fixture.h"

#include "winlayer_test.h"

#include <algorithm>
#include <ostream>

void TransferTest::SetUp() {
    DataSourceTest::SetUp();
    PrepareScanModule();
    baselineHandles_ = LiveHandles();
    baselineWindows_ = WinLayer_LiveWindows();
}

void TransferTest::TearDown() {
    EXPECT_EQ(LiveHandles(), baselineHandles_) << "global blocks left";
    EXPECT_EQ(WinLayer_LiveWindows(), baselineWindows_) << "windows left";
    std::vector<std::string> left = TempEntries();
    EXPECT_TRUE(left.empty()) << "left in the temporary folder: " << (left.empty() ? "" : left[0]);
    DataSourceTest::TearDown();
}

static void SetDepth(TW_IMAGEINFO &info, int bits) {
    info.BitsPerPixel = (TW_INT16)bits;
    info.SamplesPerPixel = bits == 24 ? 3 : 1;
    for (int i = 0; i < 3; ++i) info.BitsPerSample[i] = (TW_INT16)(i < info.SamplesPerPixel ? (bits == 1 ? 1 : 8) : 0);
    info.PixelType = bits == 1 ? TWPT_BW : bits == 8 ? TWPT_GRAY : TWPT_RGB;
}

void TransferTest::ScriptDirect(int width, int length, int bits) {
    sm_->blocksDelivered = 0;
    sm_->rowsDelivered = 0;
    sm_->imageInfo.ImageWidth = width;
    sm_->imageInfo.ImageLength = length;
    SetDepth(sm_->imageInfo, bits);
    scanned_ = PatternImage(width, length, bits);
}

void TransferTest::ScriptQueued(int width, int length, int bits, int rowsPerBlock, TW_UINT32 blockKilobytes) {
    std::vector<int> blockRows;
    for (int first = 0; first < length; first += rowsPerBlock)
        blockRows.push_back(std::min(rowsPerBlock, length - first));
    ScriptBlocks(width, bits, blockRows, blockKilobytes);
}

void TransferTest::ScriptBlocks(int width, int bits, const std::vector<int> &blockRows, TW_UINT32 blockKilobytes) {
    ASSERT_LE(blockRows.size(), 256u);
    ScriptDirect(width, -1, bits);
    sm_->blockKilobytes = blockKilobytes;
    sm_->blockCount = 0;
    int length = 0;
    for (int rows : blockRows) length += sm_->blockRows[sm_->blockCount++] = rows;
    scanned_ = PatternImage(width, length, bits);
}

void TransferTest::ScanAt(int scanned, int requested) {
    sm_->imageInfo.XResolution = {(TW_INT16)scanned, (TW_UINT16)requested};
    sm_->imageInfo.YResolution = {(TW_INT16)scanned, 0};
}

void TransferTest::Announce() {
    LoadSource();
    ReachXferReady();
    ASSERT_EQ(ProbeState(), 600);
}

TW_UINT16 TransferTest::NativeXfer(TW_HANDLE *dib) {
    // Filled with a pattern first: the whole pointer-sized slot must be written.
    memset(dib, 0xA5, sizeof *dib);
    return Call(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, dib);
}

Bytes TransferTest::TakeDib(TW_HANDLE dib) {
    Bytes bytes;
    const uint8_t *data = static_cast<const uint8_t *>(GlobalLock(dib));
    EXPECT_NE(data, nullptr) << "not a live global block";
    if (!data) return bytes;
    bytes.assign(data, data + GlobalSize(dib));
    GlobalUnlock(dib);
    EXPECT_EQ(GlobalFlags(dib) & GMEM_LOCKCOUNT, 0u) << "handed over locked";
    GlobalFree(dib);
    return bytes;
}

TW_UINT16 TransferTest::SetUpFile(const std::string &path, TW_UINT16 format) {
    TW_SETUPFILEXFER setup{};
    size_t nameLength = path.size() < sizeof setup.FileName - 1 ? path.size() : sizeof setup.FileName - 1;
    memcpy(setup.FileName, path.c_str(), nameLength);
    setup.FileName[nameLength] = '\0';
    setup.Format = format;
    return Call(DG_CONTROL, DAT_SETUPFILEXFER, MSG_SET, &setup);
}

TW_UINT16 TransferTest::FileXfer(const std::string &path, TW_UINT16 format) {
    EXPECT_EQ(SetUpFile(path, format), TWRC_SUCCESS);
    return Call(DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, nullptr);
}

TW_UINT16 TransferTest::MemXfer(TW_IMAGEMEMXFER *strip) { return Call(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, strip); }

TW_SETUPMEMXFER TransferTest::SetUpMemory() {
    TW_SETUPMEMXFER sizes{};
    EXPECT_EQ(Call(DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, &sizes), TWRC_SUCCESS);
    return sizes;
}

void TransferTest::EndXfer() {
    TW_PENDINGXFERS pending{};
    ASSERT_EQ(Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending), TWRC_SUCCESS);
}

const char *RoadName(Road road) {
    switch (road) {
    case Road::Native:
        return "Native";
    case Road::Bmp:
        return "Bmp";
    case Road::Tiff:
        return "Tiff";
    default:
        return "Memory";
    }
}

TW_UINT16 TransferTest::TransferBy(Road road, Bytes *delivered) {
    delivered->clear();
    if (road == Road::Native) {
        TW_HANDLE dib = nullptr;
        TW_UINT16 rc = NativeXfer(&dib);
        if (dib) *delivered = TakeDib(dib);
        return rc;
    }
    if (road == Road::Bmp || road == Road::Tiff) {
        std::string path = Scratch(road == Road::Bmp ? "road.bmp" : "road.tif");
        TW_UINT16 rc = FileXfer(path, road == Road::Bmp ? TWFF_BMP : TWFF_TIFF);
        *delivered = ReadFileBytes(path);
        remove(path.c_str());
        return rc;
    }
    TW_UINT32 preferred = SetUpMemory().Preferred;
    Bytes buffer(preferred);
    for (;;) {
        TW_IMAGEMEMXFER strip{};
        strip.Memory = {TWMF_APPOWNS | TWMF_POINTER, preferred, buffer.data()};
        TW_UINT16 rc = MemXfer(&strip);
        if (rc == TWRC_SUCCESS || rc == TWRC_XFERDONE)
            delivered->insert(delivered->end(), buffer.begin(), buffer.begin() + strip.BytesWritten);
        if (rc != TWRC_SUCCESS) return rc;
    }
}

void TransferTest::ExpectDecodesTo(const std::string &path, const Image &image, int dpi) {
    EXPECT_EQ(DecodeAndCompare(path, image, folder_, dpi), "") << path;
}

bool TransferTest::Shown(const std::string &text) const {
    return std::find(messages_.begin(), messages_.end(), text) != messages_.end();
}

std::ostream &operator<<(std::ostream &out, const StripShape &s) {
    return out << "{bytesPerRow " << s.bytesPerRow << ", columns " << s.columns << ", rows " << s.rows << ", yOffset "
               << s.yOffset << ", bytesWritten " << s.bytesWritten << "}";
}

StripShape ShapeOf(const TW_IMAGEMEMXFER &strip) {
    return {strip.BytesPerRow, strip.Columns, strip.Rows, strip.YOffset, strip.BytesWritten};
}
