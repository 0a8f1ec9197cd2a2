// The file transfer: BMP and TIFF files the data source writes from the
// queued image, the file the scan module writes itself for an image it
// delivers directly, and the set-up that names them.
#include "xfer_fixture.h"

#include "winlayer_test.h"

#include <filesystem>
#include <functional>

namespace fs = std::filesystem;

class FileTransfer : public TransferTest {
protected:
    // Transfers into `name` and checks the file byte for byte, then with
    // the independent decoders; the file is removed afterwards.
    void ExpectFile(const std::string &name, TW_UINT16 format, const Bytes &expected, const Image &image, int dpi = 0) {
        std::string path = Scratch(name);
        ASSERT_EQ(FileXfer(path, format), TWRC_XFERDONE);
        EXPECT_EQ(ProbeState(), 700);
        Bytes written = ReadFileBytes(path);
        ASSERT_EQ(written.size(), expected.size());
        EXPECT_TRUE(written == expected) << "first difference at byte "
                                         << std::mismatch(written.begin(), written.end(), expected.begin()).first -
                                                written.begin();
        ExpectDecodesTo(path, image, dpi);
        fs::remove(path);
    }
    long FileWritesDuring(const std::function<void()> &work) {
        WinLayer_ResetCounters();
        work();
        WinLayerCounters counters{};
        WinLayer_GetCounters(&counters);
        return counters.fileWrites;
    }
};

struct Depth {
    int bits, width, length;
};
static const Depth kDepths[] = {{1, 20, 30}, {8, 13, 9}, {24, 10, 10}};

TEST_F(FileTransfer, QueuedImageAsBmpIsTheBitmapBehindAFileHeader) {
    for (const Depth &d : kDepths) {
        SCOPED_TRACE(d.bits);
        ScriptQueued(d.width, d.length, d.bits, 4);
        ScanAt(200, 0);
        Announce();
        ExpectFile("image.bmp", TWFF_BMP, ExpectedBmp(scanned_, 200, 200), scanned_);
        UnloadSource();
    }
}

TEST_F(FileTransfer, BmpGoesOutInPiecesOf32KiB) {
    struct Case {
        const char *what;
        int width, length, bits;
        TW_UINT32 bitmapBytes;
        long writes;  // the file header, then the pieces
    } const cases[] = {
        {"one small piece", 10, 10, 8, 40 + 1024 + 120, 2},
        {"exactly 0x8000 bytes: one piece", 100, 2045, 1, 0x8000, 2},
        {"0x8004 bytes: a full piece and 4 bytes", 9, 1169, 24, 0x8004, 3},
        {"exactly two pieces", 100, 4093, 1, 0x10000, 3},
        {"two pieces and the rest", 300, 300, 8, 91064, 4},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        ScriptQueued(c.width, c.length, c.bits, std::min(300, 32768 / (c.width * c.bits / 8 + 1)));
        Announce();
        EXPECT_EQ(ExpectedDib(scanned_, 300, 300).size(), c.bitmapBytes);
        long writes =
            FileWritesDuring([&] { ExpectFile("pieces.bmp", TWFF_BMP, ExpectedBmp(scanned_, 300, 300), scanned_); });
        EXPECT_EQ(writes, c.writes);
        UnloadSource();
    }
}

TEST_F(FileTransfer, ShortBmpWriteFailsAndLeavesNoFile) {
    struct Case {
        long failingWrite;
        const char *message;
    } const cases[] = {
        {1, "Error!\nWrite BITMAPFILEHEADER Failure."},
        {2, "Error!\nWrite File 0x8000 bytes Failure."},
        {4, "Error!\nWrite File totalSize bytes Failure."},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.message);
        ScriptQueued(300, 300, 8, 100);
        Announce();
        WinLayer_FailNthFileWrite(c.failingWrite);
        EXPECT_EQ(FileXfer(Scratch("short.bmp"), TWFF_BMP), TWRC_FAILURE);
        WinLayer_ClearFaults();
        EXPECT_EQ(Status(), TWCC_OPERATIONERROR);
        EXPECT_TRUE(Shown(c.message));
        EXPECT_FALSE(fs::exists(Scratch("short.bmp")));
        EXPECT_EQ(ProbeState(), 600);
        UnloadSource();
    }
}

TEST_F(FileTransfer, QueuedImageAsTiffHasTheFixedLayoutAndTheScansResolution) {
    for (const Depth &d : kDepths) {
        SCOPED_TRACE(d.bits);
        ScriptQueued(d.width, d.length, d.bits, 4);
        ScanAt(600, 0);
        Announce();
        ExpectFile("image.tif", TWFF_TIFF, ExpectedTiff(scanned_, 600, 600), scanned_, 600);
        UnloadSource();
    }
}

// Blocks of 63000 bytes (eight in memory, four spooled) and of 600000
// bytes (all spooled, each above 64 KiB) are written whole.
TEST_F(FileTransfer, TiffFromSpooledAndLargeBlocks) {
    const int rowsPerBlock[] = {21, 200};
    const TW_UINT32 kilobytes[] = {64, 600};
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(rowsPerBlock[i]);
        ScriptQueued(1000, 3 * 200, 24, rowsPerBlock[i], kilobytes[i]);
        Announce();
        EXPECT_FALSE(TempEntries().empty());
        ExpectFile("large.tif", TWFF_TIFF, ExpectedTiff(scanned_, 300, 300), scanned_);
        UnloadSource();
    }
}

TEST_F(FileTransfer, ShortTiffHeaderFailsAndKeepsTheImage) {
    const char *messages[] = {
        "Error!\nPut TIFF IFH to file failured.",           "Error!\nPut TIFF IFD to file failured.",
        "Error!\nPut TIFF XResolution to file failured.",   "Error!\nPut TIFF YResolution to file failured.",
        "Error!\nPut TIFF BITSofSAMPLES to file failured.",
    };
    for (long piece = 1; piece <= 5; ++piece) {
        SCOPED_TRACE(messages[piece - 1]);
        ScriptQueued(10, 10, 24, 4);
        Announce();
        WinLayer_FailNthFileWrite(piece);
        EXPECT_EQ(FileXfer(Scratch("short.tif"), TWFF_TIFF), TWRC_FAILURE);
        WinLayer_ClearFaults();
        EXPECT_EQ(Status(), TWCC_OPERATIONERROR);
        EXPECT_EQ(messages_.back(), messages[piece - 1]);
        EXPECT_FALSE(fs::exists(Scratch("short.tif")));
        // Nothing of the image was taken: a second attempt writes it all.
        ExpectFile("short.tif", TWFF_TIFF, ExpectedTiff(scanned_, 300, 300), scanned_);
        UnloadSource();
    }
}

TEST_F(FileTransfer, ShortTiffDataFailsAndTheImageIsGone) {
    ScriptQueued(10, 10, 24, 4);
    Announce();
    WinLayer_FailNthFileWrite(6);  // the first block after the five header pieces
    EXPECT_EQ(FileXfer(Scratch("short.tif"), TWFF_TIFF), TWRC_FAILURE);
    WinLayer_ClearFaults();
    EXPECT_EQ(Status(), TWCC_OPERATIONERROR);
    EXPECT_TRUE(Shown("Error!\nPut TIFF BITMAP to file failured."));
    EXPECT_FALSE(fs::exists(Scratch("short.tif")));
    // A second attempt must not pass off a file without the image.
    EXPECT_EQ(FileXfer(Scratch("again.tif"), TWFF_TIFF), TWRC_FAILURE);
    EXPECT_FALSE(fs::exists(Scratch("again.tif")));
    EXPECT_EQ(FileXfer(Scratch("again.bmp"), TWFF_BMP), TWRC_FAILURE);
    EXPECT_FALSE(fs::exists(Scratch("again.bmp")));
}

TEST_F(FileTransfer, JfifOfAQueuedImageFailsWithNoFileAndKeepsTheImage) {
    ScriptQueued(10, 10, 8, 4);
    Announce();
    EXPECT_EQ(FileXfer(Scratch("image.jpg"), TWFF_JFIF), TWRC_FAILURE);
    EXPECT_EQ(Status(), TWCC_OPERATIONERROR);
    EXPECT_FALSE(fs::exists(Scratch("image.jpg")));
    EXPECT_EQ(ProbeState(), 600);
    ExpectFile("image.bmp", TWFF_BMP, ExpectedBmp(scanned_, 300, 300), scanned_);
}

TEST_F(FileTransfer, FileThatCannotBeCreatedFailsAndKeepsTheImage) {
    ScriptQueued(10, 10, 8, 4);
    Announce();
    EXPECT_EQ(FileXfer(Scratch("no-such-folder/image.tif"), TWFF_TIFF), TWRC_FAILURE);
    EXPECT_EQ(Status(), TWCC_OPERATIONERROR);
    EXPECT_TRUE(Shown("Error!\n Cannot Create File."));
    ExpectFile("image.tif", TWFF_TIFF, ExpectedTiff(scanned_, 300, 300), scanned_);
}

TEST_F(FileTransfer, FailedReceptionEndsTheTransferWithNoFile) {
    struct Case {
        TW_UINT16 format, rc;
    } const cases[] = {{TWFF_TIFF, TWRC_CANCEL}, {TWFF_BMP, TWRC_FAILURE}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.format);
        ScriptQueued(100, 40, 8, 10);
        sm_->stopAtBlock = 2;
        sm_->stopStatus = SM_CANCELLED;
        Announce();
        EXPECT_EQ(FileXfer(Scratch("image"), c.format), c.rc);
        EXPECT_FALSE(fs::exists(Scratch("image")));
        EXPECT_EQ(ProbeState(), c.rc == TWRC_CANCEL ? 700 : 600);
        UnloadSource();
    }
}

TEST_F(FileTransfer, DirectImageIsWrittenByTheScanModule) {
    struct Case {
        TW_INT16 status;
        TW_UINT16 rc, state;
    } const cases[] = {
        {SM_MORE, TWRC_XFERDONE, 700},  {SM_DONE, TWRC_XFERDONE, 700}, {SM_CANCELLED, TWRC_CANCEL, 700},
        {SM_FAILED, TWRC_FAILURE, 600}, {3, TWRC_FAILURE, 600},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.status);
        ScriptDirect(40, 30, 8);
        sm_->fileStatus = c.status;
        Announce();
        // Even a format the data source cannot write itself.
        EXPECT_EQ(FileXfer(Scratch("direct.jpg"), TWFF_JFIF), c.rc);
        if (c.rc == TWRC_FAILURE) {
            EXPECT_EQ(Status(), TWCC_OPERATIONERROR);
        }
        EXPECT_EQ(ProbeState(), c.state);
        EXPECT_NE(std::string(sm_->log).find("GetSMImage_File(1)"), std::string::npos);
        EXPECT_EQ(std::string(sm_->lastFileName), Scratch("direct.jpg"));
        EXPECT_EQ(sm_->lastFileFormat, TWFF_JFIF);
        Bytes file = ReadFileBytes(Scratch("direct.jpg"));
        EXPECT_EQ(std::string(file.begin(), file.end()), "fake scan module file, format 4, 40 x 30\n");
        fs::remove(Scratch("direct.jpg"));
        UnloadSource();
    }
}

TEST_F(FileTransfer, OnlyInState6) {
    ScriptDirect(40, 30, 8);
    LoadSource();
    Open();
    EXPECT_EQ(FileXfer(Scratch("direct.bmp"), TWFF_BMP), TWRC_FAILURE);
    EXPECT_EQ(Status(), TWCC_SEQERROR);
    ASSERT_EQ(Enable(false), TWRC_SUCCESS);
    ASSERT_EQ(FileXfer(Scratch("direct.bmp"), TWFF_BMP), TWRC_XFERDONE);
    EXPECT_EQ(Call(DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, nullptr), TWRC_FAILURE);
    EXPECT_EQ(Status(), TWCC_SEQERROR);
    fs::remove(Scratch("direct.bmp"));
}

class FileSetup : public TransferTest {
protected:
    TW_SETUPFILEXFER Get(TW_UINT16 msg) {
        TW_SETUPFILEXFER setup{};
        EXPECT_EQ(Call(DG_CONTROL, DAT_SETUPFILEXFER, msg, &setup), TWRC_SUCCESS);
        return setup;
    }
};

TEST_F(FileSetup, DefaultIsATiffInTheTemporaryFolder) {
    LoadSource();
    Open();
    TW_SETUPFILEXFER setup = Get(MSG_GET);
    EXPECT_EQ(fs::path(setup.FileName).filename(), "QRX5168.TIF");
    EXPECT_EQ(fs::path(setup.FileName).parent_path(), fs::path(folder_ + "/tmp"));
    EXPECT_EQ(setup.Format, TWFF_TIFF);
    EXPECT_EQ(setup.VRefNum, 0);
    EXPECT_EQ(std::string(Get(MSG_GETDEFAULT).FileName), setup.FileName);
}

TEST_F(FileSetup, UnknownFormatTakesTheNameButKeepsTheFormat) {
    ScriptQueued(10, 10, 8, 4);
    Announce();
    ASSERT_EQ(SetUpFile(Scratch("first.bmp"), TWFF_BMP), TWRC_SUCCESS);
    EXPECT_EQ(SetUpFile(Scratch("second.pict"), TWFF_PICT), TWRC_FAILURE);
    EXPECT_EQ(Status(), TWCC_BADVALUE);
    TW_SETUPFILEXFER setup = Get(MSG_GET);
    EXPECT_EQ(std::string(setup.FileName), Scratch("second.pict"));
    EXPECT_EQ(setup.Format, TWFF_PICT);
    // Written under the new name in the format set before.
    ASSERT_EQ(Call(DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, nullptr), TWRC_XFERDONE);
    EXPECT_EQ(ReadFileBytes(Scratch("second.pict")), ExpectedBmp(scanned_, 300, 300));
    fs::remove(Scratch("second.pict"));
}

TEST_F(FileSetup, ResetBringsBackTheDefault) {
    LoadSource();
    Open();
    TW_SETUPFILEXFER original = Get(MSG_GETDEFAULT);
    ASSERT_EQ(SetUpFile(Scratch("mine.bmp"), TWFF_BMP), TWRC_SUCCESS);
    EXPECT_EQ(std::string(Get(MSG_GETDEFAULT).FileName), original.FileName);
    TW_SETUPFILEXFER reset = Get(MSG_RESET);
    EXPECT_EQ(std::string(reset.FileName), original.FileName);
    EXPECT_EQ(reset.Format, original.Format);
    EXPECT_EQ(std::string(Get(MSG_GET).FileName), original.FileName);
}

TEST_F(FileSetup, RefusesOtherMessagesAndStates) {
    LoadSource();
    TW_SETUPFILEXFER setup{};
    EXPECT_EQ(Call(DG_CONTROL, DAT_SETUPFILEXFER, MSG_GET, &setup), TWRC_FAILURE);  // state 3
    Open();
    EXPECT_EQ(Call(DG_CONTROL, DAT_SETUPFILEXFER, MSG_GETCURRENT, &setup), TWRC_FAILURE);
    EXPECT_EQ(Status(), TWCC_BADPROTOCOL);
    ScriptDirect(10, 10, 8);
    ASSERT_EQ(Enable(false), TWRC_SUCCESS);
    TW_HANDLE dib = nullptr;
    ASSERT_EQ(NativeXfer(&dib), TWRC_XFERDONE);
    TakeDib(dib);
    EXPECT_EQ(Call(DG_CONTROL, DAT_SETUPFILEXFER, MSG_GET, &setup), TWRC_FAILURE);  // state 7
    EXPECT_EQ(Status(), TWCC_SEQERROR);
}
