// The native transfer: one packed bottom-up bitmap that becomes the
// application's, made by the scan module or from the queued image.
#include "xfer_fixture.h"

#include "winlayer_test.h"

class NativeTransfer : public TransferTest {
protected:
    // Transfers and checks the bitmap byte for byte, then as decoded by Pillow.
    void ExpectBitmap(const Image &image, int xDpi, int yDpi) {
        TW_HANDLE dib = nullptr;
        ASSERT_EQ(NativeXfer(&dib), TWRC_XFERDONE);
        EXPECT_EQ(ProbeState(), 700);
        Bytes bytes = TakeDib(dib);
        Bytes expected = ExpectedDib(image, xDpi, yDpi);
        ASSERT_EQ(bytes.size(), expected.size());
        EXPECT_TRUE(bytes == expected) << "first difference at byte "
                                       << std::mismatch(bytes.begin(), bytes.end(), expected.begin()).first -
                                              bytes.begin();
        Bytes bmp = ExpectedBmp(image, xDpi, yDpi);
        bmp.resize(14);  // the file header before the bitmap as it came
        bmp.insert(bmp.end(), bytes.begin(), bytes.end());
        WriteFileBytes(Scratch("native.bmp"), bmp);
        ExpectDecodesTo(Scratch("native.bmp"), image);
    }
};

struct Depth {
    int bits;
    int width;  // chosen so that rows need padding
};
static const Depth kDepths[] = {{1, 13}, {8, 10}, {24, 3}};

TEST_F(NativeTransfer, DirectBitmapIsTheScanModulesOwn) {
    for (const Depth &d : kDepths) {
        SCOPED_TRACE(d.bits);
        ScriptDirect(d.width, 7, d.bits);
        ScanAt(150, 0);
        Announce();
        ExpectBitmap(scanned_, 150, 150);
        EXPECT_NE(std::string(sm_->log).find("GetSMImage_DIB"), std::string::npos);
        UnloadSource();
    }
}

TEST_F(NativeTransfer, QueuedImageBecomesABottomUpPaddedDib) {
    for (const Depth &d : kDepths) {
        SCOPED_TRACE(d.bits);
        ScriptQueued(d.width, 11, d.bits, 4);
        ScanAt(150, 0);
        sm_->imageInfo.YResolution.Whole = 75;
        Announce();
        ExpectBitmap(scanned_, 150, 75);
        UnloadSource();
    }
}

TEST_F(NativeTransfer, HeaderFieldsFollowTheImage) {
    ScriptQueued(10, 6, 1, 6);
    ScanAt(150, 0);                         // 5905.5 pixels per metre
    sm_->imageInfo.YResolution.Whole = 75;  // 2952.7
    Announce();
    TW_HANDLE dib = nullptr;
    ASSERT_EQ(NativeXfer(&dib), TWRC_XFERDONE);
    Bytes bytes = TakeDib(dib);
    ASSERT_EQ(bytes.size(), 40u + 8 + 4 * 6);
    BITMAPINFOHEADER header;
    memcpy(&header, bytes.data(), sizeof header);
    EXPECT_EQ(header.biSize, 40u);
    EXPECT_EQ(header.biWidth, 10);
    EXPECT_EQ(header.biHeight, 6);  // positive: bottom-up
    EXPECT_EQ(header.biPlanes, 1);
    EXPECT_EQ(header.biBitCount, 1);
    EXPECT_EQ(header.biCompression, (DWORD)BI_RGB);
    EXPECT_EQ(header.biSizeImage, 24u);
    EXPECT_EQ(header.biXPelsPerMeter, 5905);  // truncated, not rounded
    EXPECT_EQ(header.biYPelsPerMeter, 2952);
    EXPECT_EQ(header.biClrUsed, 2u);
    EXPECT_EQ(header.biClrImportant, 0u);
    EXPECT_EQ(Bytes(bytes.begin() + 40, bytes.begin() + 48), (Bytes{0, 0, 0, 0, 255, 255, 255, 255}));
    // The first line received is the last row; the rest of a row is zero.
    EXPECT_EQ(Bytes(bytes.end() - 4, bytes.end()), (Bytes{PatternByte(0, 0), PatternByte(0, 1), 0, 0}));
}

struct QueueLayout {
    const char *what;
    int width, length, rowsPerBlock;
    TW_UINT32 blockKilobytes;
    bool spooled;
};
// A block of 63000 bytes leaves eight in memory; 600000-byte blocks are all
// spooled.
static const QueueLayout kLayouts[] = {
    {"one block", 100, 40, 40, 32, false},
    {"many small blocks", 100, 40, 3, 32, false},
    {"eight in memory, four spooled", 1000, 12 * 21, 21, 64, true},
    {"all spooled", 1000, 600, 200, 600, true},
};

TEST_F(NativeTransfer, QueuedInOneBlockOrManyInMemoryOrSpooled) {
    for (const QueueLayout &layout : kLayouts) {
        SCOPED_TRACE(layout.what);
        ScriptQueued(layout.width, layout.length, 24, layout.rowsPerBlock, layout.blockKilobytes);
        Announce();
        EXPECT_EQ(!TempEntries().empty(), layout.spooled);
        ExpectBitmap(scanned_, 300, 300);
        EXPECT_TRUE(TempEntries().empty());
        UnloadSource();
    }
}

TEST_F(NativeTransfer, ScanModuleStatusDecidesTheOutcome) {
    struct Case {
        TW_INT16 status;
        TW_UINT16 rc;
        TW_UINT16 state;
    } const cases[] = {
        {SM_MORE, TWRC_XFERDONE, 700},  {SM_DONE, TWRC_XFERDONE, 700}, {SM_CANCELLED, TWRC_CANCEL, 700},
        {SM_FAILED, TWRC_FAILURE, 600}, {3, TWRC_FAILURE, 600},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.status);
        ScriptDirect(20, 5, 8);
        sm_->dibStatus = c.status;
        Announce();
        TW_HANDLE dib = nullptr;
        EXPECT_EQ(NativeXfer(&dib), c.rc);
        if (c.rc == TWRC_FAILURE) {
            EXPECT_EQ(Status(), TWCC_OPERATIONERROR);
        }
        EXPECT_EQ(ProbeState(), c.state);
        // Only a complete bitmap is handed over; the others are freed.
        if (c.rc == TWRC_XFERDONE) {
            TakeDib(dib);
        } else {
            EXPECT_EQ(dib, nullptr);
        }
        UnloadSource();
    }
}

TEST_F(NativeTransfer, SuccessWithoutABitmapIsAFailure) {
    ScriptDirect(20, 5, 8);
    sm_->dibWithoutBitmap = TRUE;
    Announce();
    TW_HANDLE dib = reinterpret_cast<TW_HANDLE>(0x1);
    EXPECT_EQ(NativeXfer(&dib), TWRC_FAILURE);
    EXPECT_EQ(Status(), TWCC_OPERATIONERROR);
    EXPECT_EQ(dib, nullptr);
    EXPECT_EQ(ProbeState(), 600);
}

TEST_F(NativeTransfer, OnlyInState6) {
    ScriptDirect(20, 5, 8);
    LoadSource();
    Open();
    TW_HANDLE dib = nullptr;
    EXPECT_EQ(NativeXfer(&dib), TWRC_FAILURE);
    EXPECT_EQ(Status(), TWCC_SEQERROR);
    ASSERT_EQ(Enable(false), TWRC_SUCCESS);
    ASSERT_EQ(NativeXfer(&dib), TWRC_XFERDONE);
    TakeDib(dib);
    EXPECT_EQ(NativeXfer(&dib), TWRC_FAILURE);
    EXPECT_EQ(Status(), TWCC_SEQERROR);
}

TEST_F(NativeTransfer, FailedReceptionFailsAndDropsWhatArrived) {
    ScriptQueued(100, 40, 8, 10);
    sm_->stopAtBlock = 2;
    sm_->stopStatus = SM_FAILED;
    Announce();
    TW_HANDLE dib = nullptr;
    EXPECT_EQ(NativeXfer(&dib), TWRC_FAILURE);
    EXPECT_EQ(Status(), TWCC_OPERATIONERROR);
    EXPECT_EQ(dib, nullptr);
    EXPECT_EQ(ProbeState(), 600);
}

TEST_F(NativeTransfer, SpoolThatCannotBeReadBackFailsAndLeavesNothing) {
    ScriptQueued(1000, 12 * 21, 24, 21, 64);  // four blocks spooled
    Announce();
    WinLayer_FailNthFileRead(2);
    TW_HANDLE dib = nullptr;
    EXPECT_EQ(NativeXfer(&dib), TWRC_FAILURE);
    WinLayer_ClearFaults();
    EXPECT_EQ(Status(), TWCC_OPERATIONERROR);
    EXPECT_TRUE(Shown("Error!\nBugs appear in Write2File"));
    EXPECT_EQ(dib, nullptr);
}

TEST_F(NativeTransfer, UnsupportedDepthFailsAndKeepsTheQueue) {
    ScriptQueued(10, 9, 4, 3);
    Announce();
    TW_HANDLE dib = nullptr;
    EXPECT_EQ(NativeXfer(&dib), TWRC_FAILURE);
    EXPECT_EQ(Status(), TWCC_OPERATIONERROR);
    EXPECT_EQ(messages_, (std::vector<std::string>{"switch fail", "ReadDibBitmapInfo Error"}));
    // The image is still there for a transfer that can take it.
    EXPECT_EQ(+SetUpMemory().Preferred, 32768u);
    Bytes buffer(32768);
    TW_IMAGEMEMXFER strip{};
    strip.Memory = {TWMF_APPOWNS | TWMF_POINTER, (TW_UINT32)buffer.size(), buffer.data()};
    EXPECT_EQ(MemXfer(&strip), TWRC_SUCCESS);
    EXPECT_EQ(+strip.Rows, 3u);
    Bytes firstRows = scanned_.Joined();
    firstRows.resize(15);
    EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + 15), firstRows);
    EndXfer();
}

TEST_F(NativeTransfer, BitmapThatCannotGrowFailsAndKeepsTheQueue) {
    ScriptQueued(100, 40, 8, 10);
    Announce();
    WinLayer_FailNthGlobalAlloc(2);  // the header block, then its growth
    TW_HANDLE dib = nullptr;
    EXPECT_EQ(NativeXfer(&dib), TWRC_FAILURE);
    WinLayer_ClearFaults();
    EXPECT_TRUE(Shown("ReAlloc failed."));
    EXPECT_EQ(ProbeState(), 600);
    ExpectBitmap(scanned_, 300, 300);
}

TEST_F(NativeTransfer, NothingLeftToTransferAfterAFailureThatConsumedTheImage) {
    ScriptQueued(1000, 12 * 21, 24, 21, 64);  // four blocks spooled
    Announce();
    WinLayer_FailNthFileRead(1);
    TW_HANDLE dib = nullptr;
    EXPECT_EQ(NativeXfer(&dib), TWRC_FAILURE);
    WinLayer_ClearFaults();
    // The image is gone: a second attempt must not pass off a blank bitmap.
    EXPECT_EQ(NativeXfer(&dib), TWRC_FAILURE);
    EXPECT_EQ(Status(), TWCC_OPERATIONERROR);
    EXPECT_EQ(dib, nullptr);
}
