// What the application is told must hold even when the scan module's answers
// do not, and whatever order the application calls in: a success always
// comes with the image it announces.
#include "xfer_fixture.h"

class UntrustedAnswers : public TransferTest {
protected:
    struct Strip {
        TW_UINT16 rc;
        TW_IMAGEMEMXFER record;
        Bytes data;
    };
    Strip TakeStrip(TW_UINT32 bytes) {
        Strip strip{};
        strip.data.assign(bytes, 0xEE);
        strip.record.Memory = {TWMF_APPOWNS | TWMF_POINTER, bytes, strip.data.data()};
        strip.rc = MemXfer(&strip.record);
        return strip;
    }
};

TEST_F(UntrustedAnswers, DirectStripClaimingMoreThanItsBufferOrRowsFails) {
    struct Case {
        const char *what;
        TW_UINT32 claimed;
    } const cases[] = {
        {"more bytes than the buffer", 1025}, {"fewer bytes than its rows", 99},  // ten rows of 10 bytes
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        ScriptDirect(10, 10, 8);
        sm_->blockKilobytes = 1;
        sm_->stripBytesClaimed = c.claimed;
        Announce();
        ASSERT_EQ(+SetUpMemory().Preferred, 1024u);
        Strip strip = TakeStrip(1024);
        EXPECT_EQ(strip.rc, TWRC_FAILURE);
        EXPECT_EQ(Status(), TWCC_OPERATIONERROR);
        EXPECT_EQ(+strip.record.BytesWritten, 0u);  // nothing an application could read past its buffer
        EXPECT_EQ(ProbeState(), 600);
        EndXfer();
        UnloadSource();
    }
}

TEST_F(UntrustedAnswers, ScanModuleFileStripsAfterANativeTransferAreTheFilesRows) {
    ScriptDirect(10, 10, 8);
    sm_->deliversFiles = TRUE;
    sm_->blockKilobytes = 1;
    Announce();
    SetUpMemory();  // the scan module writes its file now
    TW_HANDLE dib = nullptr;
    ASSERT_EQ(NativeXfer(&dib), TWRC_XFERDONE);
    TakeDib(dib);
    // The native transfer's status must not pass for the file's: a strip
    // that reports the end of the image carries the image.
    Strip strip = TakeStrip(1024);
    ASSERT_EQ(strip.rc, TWRC_XFERDONE);
    EXPECT_EQ(+strip.record.Rows, 10u);
    ASSERT_EQ(+strip.record.BytesWritten, 100u);
    strip.data.resize(100);
    EXPECT_TRUE(strip.data == scanned_.Joined());
    EndXfer();
}

TEST_F(UntrustedAnswers, BlocksMeasuredByTheModulesOwnRowSizeFailTheReception) {
    // Rows of 100 bytes, which the module says are 10: its blocks hold a
    // tenth of the rows it claims, and copying them would read past them.
    for (Road road : {Road::Native, Road::Bmp, Road::Tiff, Road::Memory}) {
        SCOPED_TRACE(RoadName(road));
        ScriptQueued(100, 40, 8, 10);
        sm_->rowBytesClaimed = 10;
        Announce();
        Bytes delivered;
        TW_UINT16 rc = TransferBy(road, &delivered);
        EXPECT_TRUE(rc == TWRC_FAILURE || rc == TWRC_CANCEL) << rc;
        EndXfer();
        UnloadSource();
    }
}

TEST_F(UntrustedAnswers, AnnouncementWhileClosedOrOnlyOpenIsDropped) {
    ScriptQueued(100, 20, 8, 10);
    LoadSource();
    readytoScan_(1);  // closed: nothing is received, nobody is told
    readytoScan_(0);
    EXPECT_EQ(std::string(sm_->log).find("UpdateImageInfo"), std::string::npos);
    EXPECT_EQ(ProbeState(), 300);
    Open();
    readytoScan_(0);  // open, not enabled
    EXPECT_EQ(ProbeState(), 400);
    EXPECT_EQ(dsm->calls, 0);
    // The session's own scan is heard, and its image is whole.
    ASSERT_EQ(Enable(false), TWRC_SUCCESS);
    EXPECT_EQ(ProbeState(), 600);
    Bytes delivered;
    ASSERT_EQ(TransferBy(Road::Memory, &delivered), TWRC_XFERDONE);
    EXPECT_TRUE(delivered == scanned_.Joined());
    EndXfer();
}

TEST_F(UntrustedAnswers, EnableAfterDisablingAnUntakenImageHearsTheNextScan) {
    ScriptQueued(100, 20, 8, 10);
    Announce();
    TW_USERINTERFACE ui{};
    ASSERT_EQ(Call(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui), TWRC_SUCCESS);
    ScriptQueued(100, 30, 8, 10);
    ASSERT_EQ(Enable(false), TWRC_SUCCESS);
    EXPECT_EQ(ProbeState(), 600);
    Bytes delivered;
    ASSERT_EQ(TransferBy(Road::Native, &delivered), TWRC_XFERDONE);
    EXPECT_TRUE(delivered == ExpectedDib(scanned_, 300, 300));
    EndXfer();
}

TEST_F(UntrustedAnswers, ScanModuleFileIsDeletedByItsOwnNameNotTheSetUpsNewOne) {
    // The application names a file of its own after the scan module wrote
    // the memory transfer's file: that one must survive, the scan module's
    // must go, whether the strips run to the end or the image is ended.
    for (bool toTheEnd : {true, false}) {
        SCOPED_TRACE(toTheEnd ? "last strip taken" : "ended before any strip");
        ScriptDirect(10, 10, 8);
        sm_->deliversFiles = TRUE;
        sm_->blockKilobytes = 1;
        Announce();
        SetUpMemory();
        ASSERT_FALSE(TempEntries().empty());
        WriteFileBytes(Scratch("mine.tif"), Bytes{1, 2, 3});
        ASSERT_EQ(SetUpFile(Scratch("mine.tif"), TWFF_TIFF), TWRC_SUCCESS);
        if (toTheEnd) {
            Strip strip = TakeStrip(1024);
            ASSERT_EQ(strip.rc, TWRC_XFERDONE);
        }
        EndXfer();
        EXPECT_EQ(ReadFileBytes(Scratch("mine.tif")), (Bytes{1, 2, 3}));
        EXPECT_TRUE(TempEntries().empty());
        remove(Scratch("mine.tif").c_str());
        UnloadSource();
    }
}

TEST_F(UntrustedAnswers, WidthWhoseRowWouldWrapAt32BitsIsRefused) {
    // 1,431,655,766 pixels of 24 bits: a row of 4,294,967,298 bytes, which
    // cut to 32 bits would be 2, and the copies would run 4 GB past it.
    const TW_INT32 kHostileWidth = 1431655766;
    for (bool queued : {true, false}) {
        for (Road road : {Road::Native, Road::Tiff, Road::Memory}) {
            if (!queued && road != Road::Memory) continue;  // the scan module makes those itself
            SCOPED_TRACE(std::string(RoadName(road)) + (queued ? " queued" : " direct"));
            if (queued)
                ScriptQueued(10, 4, 24, 1);
            else
                ScriptDirect(10, 4, 24);
            sm_->imageInfo.ImageWidth = kHostileWidth;
            Announce();
            EXPECT_EQ(sm_->blocksDelivered, 0) << "blocks asked for an image that cannot be sized";
            Bytes delivered;
            TW_UINT16 rc = TransferBy(road, &delivered);
            EXPECT_TRUE(rc == TWRC_FAILURE || rc == TWRC_CANCEL) << rc;
            EXPECT_TRUE(delivered.empty());
            EndXfer();
            UnloadSource();
        }
    }
}

TEST_F(UntrustedAnswers, BytesLeftBehindTheRowsOfABlockAreNotPartOfTheImage) {
    struct Case {
        const char *what;
        int width, length, bits, rowsPerBlock;
        TW_UINT32 kilobytes;
    } const cases[] = {
        {"in memory", 37, 30, 8, 7, 1},
        {"spooled", 1000, 12 * 21, 24, 21, 64},  // four of twelve blocks in the spool file
    };
    for (const Case &c : cases) {
        for (Road road : {Road::Native, Road::Bmp, Road::Tiff, Road::Memory}) {
            SCOPED_TRACE(std::string(RoadName(road)) + " " + c.what);
            ScriptQueued(c.width, c.length, c.bits, c.rowsPerBlock, c.kilobytes);
            sm_->blockSlack = 13;
            Announce();
            Bytes delivered;
            ASSERT_EQ(TransferBy(road, &delivered), TWRC_XFERDONE);
            Bytes expected = road == Road::Native ? ExpectedDib(scanned_, 300, 300)
                             : road == Road::Bmp  ? ExpectedBmp(scanned_, 300, 300)
                             : road == Road::Tiff ? ExpectedTiff(scanned_, 300, 300)
                                                  : scanned_.Joined();
            EXPECT_TRUE(delivered == expected);
            UnloadSource();
        }
    }
}
