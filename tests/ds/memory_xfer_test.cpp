// The memory transfer: the image in strips, one per call, into buffers the
// application owns; from the queue, from the scan module's TIFF file, or
// straight from the scan module.
#include "xfer_fixture.h"

#include "winlayer_test.h"

#include <filesystem>

namespace fs = std::filesystem;

static const TW_UINT32 kPointer = TWMF_APPOWNS | TWMF_POINTER;
static const TW_UINT32 kHandle = TWMF_APPOWNS | TWMF_HANDLE;

class MemoryTransfer : public TransferTest {
protected:
    struct Strips {
        std::vector<TW_UINT16> codes;
        std::vector<StripShape> shapes;
        Bytes data;  // every strip's bytes, in order
    };
    // Strips into a buffer of `bytes` until a call answers other than
    // TWRC_SUCCESS.
    Strips TakeStrips(TW_UINT32 bytes) {
        Strips strips;
        Bytes buffer(bytes);
        for (int call = 0; call < 10000; ++call) {
            TW_IMAGEMEMXFER strip{};
            strip.Memory = {kPointer, bytes, buffer.data()};
            TW_UINT16 rc = MemXfer(&strip);
            strips.codes.push_back(rc);
            if (rc != TWRC_SUCCESS && rc != TWRC_XFERDONE) break;
            EXPECT_EQ(+strip.Compression, TWCP_NONE);
            EXPECT_EQ(+strip.XOffset, 0u);
            strips.shapes.push_back(ShapeOf(strip));
            strips.data.insert(strips.data.end(), buffer.begin(), buffer.begin() + strip.BytesWritten);
            if (rc == TWRC_XFERDONE) break;
        }
        return strips;
    }
    static std::vector<TW_UINT16> Codes(size_t successes, TW_UINT16 last) {
        std::vector<TW_UINT16> codes(successes, TWRC_SUCCESS);
        codes.push_back(last);
        return codes;
    }
    // A further call after the last strip finds nothing.
    void ExpectNoMoreStrips() {
        Bytes buffer(64 * 1024);
        TW_IMAGEMEMXFER strip{};
        strip.Memory = {kPointer, (TW_UINT32)buffer.size(), buffer.data()};
        EXPECT_EQ(MemXfer(&strip), TWRC_FAILURE);
        EXPECT_EQ(Status(), TWCC_OPERATIONERROR);
        EXPECT_EQ(ProbeState(), 700);
    }
    std::string ScanFilePath() const { return folder_ + "/tmp/QRX5168.TIF"; }
};

TEST_F(MemoryTransfer, SetupReportsTheScanModulesBlockSize) {
    ScriptDirect(10, 10, 8);
    LoadSource();
    TW_SETUPMEMXFER sizes{};
    EXPECT_EQ(Call(DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, &sizes), TWRC_FAILURE);  // state 3
    Open();
    sizes = SetUpMemory();
    EXPECT_EQ(+sizes.MinBufSize, 32768u);
    EXPECT_EQ(+sizes.MaxBufSize, 32768u);
    EXPECT_EQ(+sizes.Preferred, 32768u);
    sm_->blockKilobytes = 0x10004;  // only the low 16 bits count
    EXPECT_EQ(+SetUpMemory().Preferred, 4096u);
    EXPECT_EQ(Call(DG_CONTROL, DAT_SETUPMEMXFER, MSG_SET, &sizes), TWRC_FAILURE);
    EXPECT_EQ(Status(), TWCC_BADPROTOCOL);
}

TEST_F(MemoryTransfer, QueuedStripsAreTheReceivedBlocks) {
    struct Case {
        int bits, width;
    } const cases[] = {{1, 13}, {8, 100}, {24, 33}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.bits);
        ScriptBlocks(c.width, c.bits, {40, 40, 3});
        Announce();
        TW_UINT32 row = (TW_UINT32)scanned_.RowBytes();
        EXPECT_EQ(+SetUpMemory().Preferred, 32768u);

        Strips strips = TakeStrips(32768);
        EXPECT_EQ(strips.codes, Codes(2, TWRC_XFERDONE));
        EXPECT_EQ(strips.shapes, (std::vector<StripShape>{{row, (TW_UINT32)c.width, 40, 0, 40 * row},
                                                          {row, (TW_UINT32)c.width, 40, 40, 40 * row},
                                                          {row, (TW_UINT32)c.width, 3, 80, 3 * row}}));
        EXPECT_TRUE(strips.data == scanned_.Joined());
        ExpectNoMoreStrips();
        UnloadSource();
    }
}

TEST_F(MemoryTransfer, StateStays6UntilTheLastStrip) {
    ScriptQueued(100, 30, 8, 10);
    Announce();
    Bytes buffer(32768);
    for (int k = 0; k < 3; ++k) {
        TW_IMAGEMEMXFER strip{};
        strip.Memory = {kPointer, (TW_UINT32)buffer.size(), buffer.data()};
        EXPECT_EQ(MemXfer(&strip), k < 2 ? TWRC_SUCCESS : TWRC_XFERDONE);
        EXPECT_EQ(ProbeState(), k < 2 ? 600 : 700);
    }
}

// Once strips have begun, no other transfer can take the image: it fails
// with nothing taken, and the strips go on to the end.
TEST_F(MemoryTransfer, OtherTransfersMidwayFailAndTheStripsGoOn) {
    ScriptQueued(100, 30, 8, 10);
    Announce();
    Bytes buffer(32768), data;
    TW_IMAGEMEMXFER strip{};
    strip.Memory = {kPointer, (TW_UINT32)buffer.size(), buffer.data()};
    ASSERT_EQ(MemXfer(&strip), TWRC_SUCCESS);
    data.insert(data.end(), buffer.begin(), buffer.begin() + strip.BytesWritten);

    for (TW_UINT16 format : {TWFF_TIFF, TWFF_BMP}) {
        EXPECT_EQ(FileXfer(Scratch("image"), format), TWRC_FAILURE);
        EXPECT_FALSE(fs::exists(Scratch("image")));
    }
    TW_HANDLE dib = nullptr;
    EXPECT_EQ(NativeXfer(&dib), TWRC_FAILURE);
    EXPECT_EQ(dib, nullptr);

    Strips rest = TakeStrips(32768);
    EXPECT_EQ(rest.codes, Codes(1, TWRC_XFERDONE));
    data.insert(data.end(), rest.data.begin(), rest.data.end());
    EXPECT_TRUE(data == scanned_.Joined());
}

TEST_F(MemoryTransfer, QueuedFromMemoryAndFromTheSpoolFile) {
    struct Layout {
        const char *what;
        int rowsPerBlock;
        TW_UINT32 kilobytes;
    } const layouts[] = {{"eight in memory, four spooled", 21, 64}, {"all spooled", 200, 600}};
    for (const Layout &layout : layouts) {
        SCOPED_TRACE(layout.what);
        ScriptQueued(1000, 12 * 21, 24, layout.rowsPerBlock, layout.kilobytes);
        Announce();
        EXPECT_FALSE(TempEntries().empty());
        TW_UINT32 preferred = SetUpMemory().Preferred;
        EXPECT_EQ(preferred, layout.kilobytes * 1024);
        Strips strips = TakeStrips(preferred);
        EXPECT_EQ(strips.codes.back(), TWRC_XFERDONE);
        EXPECT_EQ(strips.shapes.size(), (size_t)sm_->blockCount);
        EXPECT_TRUE(strips.data == scanned_.Joined());
        EXPECT_TRUE(TempEntries().empty());
        UnloadSource();
    }
}

TEST_F(MemoryTransfer, HandleBuffersAreLockedOnlyDuringTheCall) {
    ScriptQueued(100, 30, 8, 10);
    Announce();
    HGLOBAL buffer = GlobalAlloc(GMEM_MOVEABLE, 32768);
    Bytes data;
    for (TW_UINT16 rc = TWRC_SUCCESS; rc == TWRC_SUCCESS;) {
        TW_IMAGEMEMXFER strip{};
        strip.Memory = {kHandle, 32768, buffer};
        rc = MemXfer(&strip);
        ASSERT_TRUE(rc == TWRC_SUCCESS || rc == TWRC_XFERDONE) << rc;
        EXPECT_EQ(GlobalFlags(buffer) & GMEM_LOCKCOUNT, 0u);
        EXPECT_EQ(+strip.Memory.Flags, kHandle);
        EXPECT_EQ(+strip.Memory.Length, 32768u);
        EXPECT_EQ(+strip.Memory.TheMem, buffer);
        const uint8_t *bytes = static_cast<const uint8_t *>(GlobalLock(buffer));
        data.insert(data.end(), bytes, bytes + strip.BytesWritten);
        GlobalUnlock(buffer);
    }
    GlobalFree(buffer);
    EXPECT_TRUE(data == scanned_.Joined());
}

TEST_F(MemoryTransfer, RefusedBuffersConsumeNothing) {
    ScriptQueued(100, 30, 8, 10);
    Announce();
    Bytes buffer(32768, 0xEE);
    struct Case {
        const char *what;
        TW_UINT32 flags, length;
        void *memory;
        TW_UINT16 condition;
    } const cases[] = {
        {"owned by the source", TWMF_DSOWNS | TWMF_POINTER, 32768, buffer.data(), TWCC_BADVALUE},
        {"no form given", TWMF_APPOWNS, 32768, buffer.data(), TWCC_BADVALUE},
        {"both forms", kPointer | TWMF_HANDLE, 32768, buffer.data(), TWCC_BADVALUE},
        {"smaller than a block", kPointer, 32767, buffer.data(), TWCC_BADVALUE},
        {"a handle that cannot be locked", kHandle, 32768, reinterpret_cast<void *>(0x1234), TWCC_SEQERROR},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TW_IMAGEMEMXFER strip{};
        strip.Memory = {c.flags, c.length, c.memory};
        EXPECT_EQ(MemXfer(&strip), TWRC_FAILURE);
        EXPECT_EQ(Status(), c.condition);
        EXPECT_EQ(ProbeState(), 600);
    }
    EXPECT_EQ(buffer, Bytes(32768, 0xEE));
    Strips strips = TakeStrips(32768);
    EXPECT_EQ(strips.codes, Codes(2, TWRC_XFERDONE));
    EXPECT_TRUE(strips.data == scanned_.Joined());
}

TEST_F(MemoryTransfer, FailedReceptionGivesWhatArrivedThenCancels) {
    struct Layout {
        const char *what;
        int width, rowsPerBlock;
        TW_UINT32 kilobytes;
    } const layouts[] = {{"in memory", 100, 10, 32}, {"first block spooled", 3000, 200, 600}};
    for (const Layout &layout : layouts) {
        SCOPED_TRACE(layout.what);
        ScriptQueued(layout.width, 4 * layout.rowsPerBlock, 8, layout.rowsPerBlock, layout.kilobytes);
        sm_->stopAtBlock = 2;
        sm_->stopStatus = SM_CANCELLED;
        Announce();
        size_t blockBytes = (size_t)layout.width * layout.rowsPerBlock;
        Bytes buffer(layout.kilobytes * 1024);
        TW_IMAGEMEMXFER strip{};
        strip.Memory = {kPointer, (TW_UINT32)buffer.size(), buffer.data()};
        EXPECT_EQ(MemXfer(&strip), TWRC_CANCEL);
        EXPECT_EQ(+strip.Rows, (TW_UINT32)layout.rowsPerBlock);
        Bytes firstBlock = scanned_.Joined();
        firstBlock.resize(blockBytes);
        EXPECT_TRUE(Bytes(buffer.begin(), buffer.begin() + blockBytes) == firstBlock);
        EXPECT_TRUE(messages_.empty());
        EXPECT_EQ(ProbeState(), 700);
        UnloadSource();
    }
}

TEST_F(MemoryTransfer, SpoolThatCannotBeReadBackEndsTheImage) {
    ScriptQueued(1000, 12 * 21, 24, 21, 64);  // four blocks spooled
    Announce();
    for (int k = 0; k < 8; ++k) {
        Bytes buffer(65536);
        TW_IMAGEMEMXFER strip{};
        strip.Memory = {kPointer, 65536, buffer.data()};
        ASSERT_EQ(MemXfer(&strip), TWRC_SUCCESS);
    }
    WinLayer_FailNthFileRead(1);
    Strips strips = TakeStrips(65536);
    WinLayer_ClearFaults();
    EXPECT_EQ(strips.codes, (std::vector<TW_UINT16>{TWRC_FAILURE}));
    EXPECT_EQ(Status(), TWCC_OPERATIONERROR);
    EXPECT_TRUE(Shown("Error!\nBugs appear in Write2File"));
    // No later strip may be read from the wrong place in the file.
    strips = TakeStrips(65536);
    EXPECT_EQ(strips.codes, (std::vector<TW_UINT16>{TWRC_FAILURE}));
    EXPECT_TRUE(TempEntries().empty());
}

TEST_F(MemoryTransfer, BlocksLargerThanTheAnnouncedSizeNeverOverrunTheBuffer) {
    ScriptQueued(1000, 30, 8, 30);  // one block of 30000 bytes
    Announce();
    sm_->blockKilobytes = 16;  // the scan module now says 16 KB
    TW_UINT32 preferred = SetUpMemory().Preferred;
    ASSERT_EQ(preferred, 16384u);
    Bytes buffer(32768, 0xEE);
    TW_IMAGEMEMXFER strip{};
    strip.Memory = {kPointer, preferred, buffer.data()};
    EXPECT_EQ(MemXfer(&strip), TWRC_FAILURE);
    EXPECT_EQ(Bytes(buffer.begin() + preferred, buffer.end()), Bytes(32768 - preferred, 0xEE));
    EndXfer();
}

TEST_F(MemoryTransfer, DirectStripsFillTheSmallerOfBufferAndPreferredSize) {
    ScriptDirect(100, 50, 8);
    Announce();
    ASSERT_EQ(+SetUpMemory().Preferred, 32768u);
    Strips strips = TakeStrips(1000);
    EXPECT_EQ(sm_->lastStripLength, 1000u);
    EXPECT_EQ(strips.codes, Codes(4, TWRC_XFERDONE));
    ASSERT_EQ(strips.shapes.size(), 5u);
    EXPECT_EQ(strips.shapes[4], (StripShape{100, 100, 10, 40, 1000}));
    EXPECT_TRUE(strips.data == scanned_.Joined());
    EXPECT_EQ(ProbeState(), 700);
    EndXfer();

    ScriptDirect(100, 500, 8);
    readytoScan_(0);
    strips = TakeStrips(40000);
    EXPECT_EQ(sm_->lastStripLength, 32768u);
    EXPECT_EQ(strips.codes, Codes(1, TWRC_XFERDONE));
    EXPECT_EQ(strips.shapes[0], (StripShape{100, 100, 327, 0, 32700}));
    EXPECT_TRUE(strips.data == scanned_.Joined());
}

TEST_F(MemoryTransfer, ApplicationsMemoryRecordComesBackUnchanged) {
    ScriptDirect(100, 50, 8);
    Announce();
    Bytes buffer(1000);
    TW_IMAGEMEMXFER strip{};
    strip.Memory = {kPointer, 1000, buffer.data()};
    ASSERT_EQ(MemXfer(&strip), TWRC_SUCCESS);  // the fake scribbles over its copy
    EXPECT_EQ(+strip.Memory.Flags, kPointer);
    EXPECT_EQ(+strip.Memory.Length, 1000u);
    EXPECT_EQ(+strip.Memory.TheMem, buffer.data());
    EXPECT_EQ(+strip.Rows, 10u);
    EndXfer();
}

TEST_F(MemoryTransfer, ScanModuleStatusDecidesTheDirectOutcome) {
    struct Case {
        TW_INT16 status;
        TW_UINT16 rc, state;
    } const cases[] = {{SM_CANCELLED, TWRC_CANCEL, 700}, {SM_FAILED, TWRC_FAILURE, 600}, {5, TWRC_FAILURE, 600}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.status);
        ScriptDirect(100, 50, 8);
        sm_->stopAtBlock = 2;
        sm_->stopStatus = c.status;
        Announce();
        Strips strips = TakeStrips(1000);
        EXPECT_EQ(strips.codes, Codes(2, c.rc));
        if (c.rc == TWRC_FAILURE) {
            EXPECT_EQ(Status(), TWCC_OPERATIONERROR);
        }
        EXPECT_EQ(ProbeState(), c.state);
        UnloadSource();
    }
}

TEST_F(MemoryTransfer, FileModeReadsTheScanModulesTiffInStrips) {
    ScriptDirect(100, 9, 24);  // 9 rows of 300 bytes
    sm_->deliversFiles = TRUE;
    Announce();
    SetUpMemory();
    EXPECT_NE(std::string(sm_->log).find("GetSMImage_File(0)"), std::string::npos);
    EXPECT_EQ(std::string(sm_->lastFileName), ScanFilePath());
    EXPECT_TRUE(fs::exists(ScanFilePath()));

    Strips strips = TakeStrips(700);
    EXPECT_EQ(strips.codes, Codes(4, TWRC_XFERDONE));
    EXPECT_EQ(strips.shapes, (std::vector<StripShape>{{300, 100, 2, 0, 600},
                                                      {300, 100, 2, 2, 600},
                                                      {300, 100, 2, 4, 600},
                                                      {300, 100, 2, 6, 600},
                                                      {300, 100, 1, 8, 300}}));
    EXPECT_TRUE(strips.data == scanned_.Joined());
    EXPECT_FALSE(fs::exists(ScanFilePath()));
    EXPECT_EQ(ProbeState(), 700);
}

TEST_F(MemoryTransfer, FileModeTakesEitherSuccessStatusAsWritten) {
    ScriptDirect(100, 9, 24);
    sm_->deliversFiles = TRUE;
    sm_->fileStatus = SM_DONE;
    Announce();
    SetUpMemory();
    Strips strips = TakeStrips(2700);
    EXPECT_EQ(strips.codes, Codes(0, TWRC_XFERDONE));
    EXPECT_TRUE(strips.data == scanned_.Joined());
    EXPECT_FALSE(fs::exists(ScanFilePath()));
}

TEST_F(MemoryTransfer, FileModeBilevelRowsArePacked) {
    ScriptDirect(20, 5, 1);
    sm_->deliversFiles = TRUE;
    Announce();
    SetUpMemory();
    Strips strips = TakeStrips(100);
    EXPECT_EQ(strips.codes, Codes(0, TWRC_XFERDONE));
    EXPECT_EQ(strips.shapes[0], (StripShape{3, 20, 5, 0, 15}));
    EXPECT_TRUE(strips.data == scanned_.Joined());
}

TEST_F(MemoryTransfer, FileModeBufferBelowOneRowIsRefused) {
    ScriptDirect(100, 9, 24);
    sm_->deliversFiles = TRUE;
    Announce();
    SetUpMemory();
    Strips strips = TakeStrips(299);
    EXPECT_EQ(strips.codes, (std::vector<TW_UINT16>{TWRC_FAILURE}));
    EXPECT_EQ(Status(), TWCC_BADVALUE);
    strips = TakeStrips(2700);
    EXPECT_EQ(strips.codes, Codes(0, TWRC_XFERDONE));
    EXPECT_TRUE(strips.data == scanned_.Joined());
}

TEST_F(MemoryTransfer, FileModeFailures) {
    struct Case {
        const char *what;
        TW_INT16 fileStatus;
        TW_UINT32 shortBy;
        BOOL withoutOffsets;
        std::vector<TW_UINT16> codes;
        TW_UINT16 state;
    } const cases[] = {
        {"cancelled by the scan module", SM_CANCELLED, 0, FALSE, {TWRC_CANCEL}, 700},
        {"failed in the scan module", SM_FAILED, 0, FALSE, {TWRC_FAILURE}, 600},
        {"no StripOffsets", SM_MORE, 0, TRUE, {TWRC_FAILURE}, 600},
        {"data cut short",
         SM_MORE,
         100,
         FALSE,
         {TWRC_SUCCESS, TWRC_SUCCESS, TWRC_SUCCESS, TWRC_SUCCESS, TWRC_FAILURE},
         600},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        ScriptDirect(100, 9, 24);
        sm_->deliversFiles = TRUE;
        sm_->fileStatus = c.fileStatus;
        sm_->fileShortBy = c.shortBy;
        sm_->fileWithoutOffsets = c.withoutOffsets;
        Announce();
        SetUpMemory();
        Strips strips = TakeStrips(700);
        EXPECT_EQ(strips.codes, c.codes);
        if (c.codes.back() == TWRC_FAILURE) {
            EXPECT_EQ(Status(), TWCC_OPERATIONERROR);
        }
        EXPECT_EQ(ProbeState(), c.state);
        EndXfer();
        EXPECT_FALSE(fs::exists(ScanFilePath()));
        UnloadSource();
    }
    EXPECT_TRUE(Shown(" Read image data failed "));
}

TEST_F(MemoryTransfer, EndingTheTransferMidwayLeavesNothing) {
    for (TW_UINT16 ending : {MSG_ENDXFER, MSG_RESET}) {
        SCOPED_TRACE(ending);
        ScriptQueued(1000, 12 * 21, 24, 21, 64);  // four blocks spooled
        Announce();
        Bytes buffer(65536);
        TW_IMAGEMEMXFER strip{};
        strip.Memory = {kPointer, 65536, buffer.data()};
        ASSERT_EQ(MemXfer(&strip), TWRC_SUCCESS);
        TW_PENDINGXFERS pending{};
        ASSERT_EQ(Call(DG_CONTROL, DAT_PENDINGXFERS, ending, &pending), TWRC_SUCCESS);
        EXPECT_EQ(LiveHandles(), baselineHandles_);
        EXPECT_TRUE(TempEntries().empty());
        UnloadSource();
    }
}

TEST_F(MemoryTransfer, FileModeCountsBeyond16Bits) {
    struct Case {
        const char *what;
        int width, length, bits;
        TW_UINT32 buffer;
    } const cases[] = {
        {"a buffer of 64 Ki one-byte rows", 8, 9, 1, 65536},
        {"rows of 66000 bytes", 22000, 3, 24, 200000},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        ScriptDirect(c.width, c.length, c.bits);
        sm_->deliversFiles = TRUE;
        Announce();
        SetUpMemory();
        Strips strips = TakeStrips(c.buffer);
        EXPECT_EQ(strips.codes, Codes(0, TWRC_XFERDONE));
        EXPECT_EQ(strips.shapes[0].bytesPerRow, (TW_UINT32)scanned_.RowBytes());
        EXPECT_TRUE(strips.data == scanned_.Joined());
        UnloadSource();
    }
}
