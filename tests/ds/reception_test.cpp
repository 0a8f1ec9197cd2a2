// Images of open length: received whole into the queue and the spool file
// before the application hears of them; enlargement set up from the
// resolutions; nothing left behind when a reception fails.
#include "harness.h"

#include "winlayer_test.h"

#include <algorithm>
#include <filesystem>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

static std::string ToHex(long value) {
    char text[32];
    snprintf(text, sizeof text, "%lX", value);
    return text;
}

class Reception : public DataSourceTest {
protected:
    void SetUp() override {
        DataSourceTest::SetUp();
        PrepareScanModule();
        baseline_ = LiveHandles();
    }
    // An 8-bit image `width` pixels wide, of open length, in blocks of the
    // given rows.
    void ScriptImage(int width, std::initializer_list<int> rows, TW_UINT32 blockKilobytes = 32) {
        sm_->imageInfo.ImageWidth = width;
        sm_->imageInfo.ImageLength = -1;
        sm_->blockKilobytes = blockKilobytes;
        sm_->blockCount = 0;
        for (int r : rows) sm_->blockRows[sm_->blockCount++] = r;
    }
    void ScriptBlocks(int width, int blocks, int rowsEach, TW_UINT32 blockKilobytes) {
        ScriptImage(width, {}, blockKilobytes);
        for (int i = 0; i < blocks; ++i) sm_->blockRows[sm_->blockCount++] = rowsEach;
    }
    TW_IMAGEINFO Announce() {
        LoadSource();
        Open();
        EXPECT_EQ(Enable(false), TWRC_SUCCESS);
        TW_IMAGEINFO info{};
        EXPECT_EQ(Call(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info), TWRC_SUCCESS);
        return info;
    }
    void Reset() {
        TW_PENDINGXFERS pending{};
        ASSERT_EQ(Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pending), TWRC_SUCCESS);
    }
    void ExpectNothingLeft() {
        EXPECT_EQ(LiveHandles(), baseline_);
        EXPECT_TRUE(TempEntries().empty());
    }
    // The size of the spool file the source holds open, or -1 when it holds
    // none. It has no name by then: it is found among this process's open
    // files.
    long SpoolSize() {
        for (const auto &fd : fs::directory_iterator("/proc/self/fd")) {
            std::error_code error;
            fs::path target = fs::read_symlink(fd.path(), error);
            if (!error && target.string().find("QRX5168.TMP") != std::string::npos)
                return (long)fs::file_size(fd.path(), error);
        }
        return -1;
    }
    bool Shown(const std::string &text) const {
        return std::find(messages_.begin(), messages_.end(), text) != messages_.end();
    }
    long baseline_ = 0;
};

TEST_F(Reception, WholeImageIsReceivedBeforeTheApplicationIsTold) {
    ScriptImage(100, {40, 40, 3});
    TW_IMAGEINFO info = Announce();
    EXPECT_EQ(std::string(sm_->log).substr(std::string(sm_->log).find("UpdateImageInfo")),
              "UpdateImageInfo CkUseBufXfer GetSMImage_Buf GetSMImage_Buf GetSMImage_Buf");
    EXPECT_EQ(dsm->calls, 1);
    EXPECT_EQ(dsm->lastMSG, MSG_XFERREADY);
    EXPECT_EQ(info.ImageLength, 83);
    EXPECT_EQ(info.ImageWidth, 100);
    EXPECT_EQ(info.XResolution.Frac, 0);
    EXPECT_EQ(LiveHandles(), baseline_ + 3);  // three blocks held in memory
    EXPECT_EQ(SpoolSize(), -1);
    Reset();
    ExpectNothingLeft();
}

TEST_F(Reception, BlocksBeyondHalfAMegabyteGoToTheSpoolFile) {
    ScriptBlocks(1000, 12, 65, 64);  // 65000-byte blocks: eight stay in memory
    Announce();
    EXPECT_EQ(LiveHandles(), baseline_ + 8);
    EXPECT_EQ(SpoolSize(), 4 * 65000);
    ASSERT_EQ(Call(DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &identity_), TWRC_SUCCESS);
    ExpectNothingLeft();
}

TEST_F(Reception, EightBlocksCreateNoSpoolFile) {
    ScriptBlocks(1000, 8, 65, 64);
    Announce();
    EXPECT_EQ(SpoolSize(), -1);
    EXPECT_TRUE(TempEntries().empty());
}

TEST_F(Reception, LargeBlocksAreSpooledFromTheFirst) {
    ScriptBlocks(1000, 2, 600, 600);
    Announce();
    EXPECT_EQ(LiveHandles(), baseline_);
    EXPECT_EQ(SpoolSize(), 2 * 600000);
    Reset();
    ExpectNothingLeft();
}

TEST_F(Reception, SpoolFileLivesInAPrivateFolderOfItsOwn) {
    ScriptBlocks(1000, 10, 65, 64);
    Announce();
    // The folder, and in it a file that is open but already has no name:
    // nothing can outlive the process.
    std::vector<std::string> entries = TempEntries();
    ASSERT_EQ(entries.size(), 1u);
    std::string folder = folder_ + "/tmp/" + entries[0];
    EXPECT_TRUE(fs::is_directory(folder)) << folder;
    EXPECT_EQ(fs::status(folder).permissions() & fs::perms::all, fs::perms::owner_all);
    EXPECT_EQ(SpoolSize(), 2 * 65000);
}

TEST_F(Reception, AnExistingFolderOrLinkIsNeverUsed) {
    // A link planted under the name the spool folder would take first is
    // passed over: the spool goes to a folder the source made itself.
    std::string planted = folder_ + "/tmp/QRVM" + ToHex(getpid()) + "-1";
    fs::create_directory(folder_ + "/victim");
    fs::create_directory_symlink(folder_ + "/victim", planted);
    ScriptBlocks(1000, 10, 65, 64);
    Announce();
    EXPECT_TRUE(fs::is_empty(folder_ + "/victim"));
    EXPECT_GT(SpoolSize(), 0);
    Reset();
    EXPECT_TRUE(fs::is_symlink(planted));
    EXPECT_TRUE(fs::is_empty(folder_ + "/victim"));
    EXPECT_EQ(TempEntries().size(), 1u);
    fs::remove(planted);  // ours, not the source's
}

TEST_F(Reception, CancelledReceptionStillAnnouncesAndLeavesNothingAfterReset) {
    ScriptBlocks(1000, 12, 65, 64);
    sm_->stopAtBlock = 10;
    sm_->stopStatus = SM_CANCELLED;
    TW_IMAGEINFO info = Announce();
    EXPECT_EQ(dsm->lastMSG, MSG_XFERREADY);
    EXPECT_EQ(info.ImageLength, -1);  // never completed
    Reset();
    ExpectNothingLeft();
}

TEST_F(Reception, FailedReceptionLeavesNothingAfterClose) {
    ScriptBlocks(1000, 12, 65, 64);
    sm_->stopAtBlock = 9;
    sm_->stopStatus = SM_FAILED;
    Announce();
    ASSERT_EQ(Call(DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &identity_), TWRC_SUCCESS);
    ExpectNothingLeft();
}

TEST_F(Reception, UnknownStatusIsAFailureNotACompleteImage) {
    ScriptImage(100, {40, 40, 3});
    sm_->stopAtBlock = 2;
    sm_->stopStatus = 7;
    EXPECT_EQ(Announce().ImageLength, -1);
    Reset();
    ExpectNothingLeft();
}

TEST_F(Reception, UntrustworthyBlocksFailTheReception) {
    struct Case {
        const char *what;
        TW_UINT32 firstBlockBytes;
        TW_UINT32 blockKilobytes;
    } cases[] = {
        {"first block of zero bytes", 0xFFFFFFFF, 32},
        {"more bytes than the block holds", 40000, 32},
        {"rows beyond the bytes written", 3999, 32},
        {"block size of zero", 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        ScriptImage(100, {40, 40, 3}, c.blockKilobytes);
        sm_->firstBlockBytes = c.firstBlockBytes == 0xFFFFFFFF ? 0 : c.firstBlockBytes;
        if (c.firstBlockBytes == 0xFFFFFFFF) sm_->blockRows[0] = 0;
        sm_->blocksDelivered = 0;
        EXPECT_EQ(Announce().ImageLength, -1);
        Reset();
        ExpectNothingLeft();
        UnloadSource();
    }
}

TEST_F(Reception, ScannedAtLowerResolutionIsEnlargedInTheDescription) {
    ScriptImage(250, {30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30});
    sm_->imageInfo.XResolution = {300, 600};
    sm_->imageInfo.YResolution = {300, 0};
    TW_IMAGEINFO info = Announce();
    EXPECT_EQ(info.XResolution.Whole, 600);
    EXPECT_EQ(info.XResolution.Frac, 0);
    EXPECT_EQ(info.YResolution.Whole, 600);  // the lines were replicated too
    EXPECT_EQ(info.ImageWidth, 500);
    EXPECT_EQ(info.ImageLength, 660);
}

TEST_F(Reception, RequestsUpTo300AreNeverEnlargements) {
    ScriptImage(250, {10});
    sm_->imageInfo.XResolution = {150, 300};
    TW_IMAGEINFO info = Announce();
    EXPECT_EQ(info.XResolution.Whole, 150);
    EXPECT_EQ(info.XResolution.Frac, 0);
    EXPECT_EQ(info.ImageWidth, 250);
    UnloadSource();
    sm_->blocksDelivered = 0;
    sm_->imageInfo.XResolution = {300, 450};
    info = Announce();
    EXPECT_EQ(info.ImageWidth, 375);
    EXPECT_EQ(info.ImageLength, 15);
}

TEST_F(Reception, RequestBelowTheScanIsDeliveredAsScanned) {
    ScriptImage(250, {10});
    sm_->imageInfo.XResolution = {600, 400};
    TW_IMAGEINFO info = Announce();
    EXPECT_TRUE(Shown("Error!\nMinDivable"));
    EXPECT_EQ(info.XResolution.Whole, 600);
    EXPECT_EQ(info.ImageWidth, 250);
    EXPECT_EQ(info.ImageLength, 10);
}

TEST_F(Reception, ScannedResolutionOfZeroFailsCleanly) {
    ScriptImage(250, {10});
    sm_->imageInfo.XResolution = {0, 600};
    Announce();
    Reset();
    ExpectNothingLeft();
}

TEST_F(Reception, OutOfMemoryMidwayFailsCleanly) {
    ScriptBlocks(1000, 12, 65, 64);
    LoadSource();
    Open();
    WinLayer_FailNthGlobalAlloc(4);
    EXPECT_EQ(Enable(false), TWRC_SUCCESS);
    WinLayer_ClearFaults();
    TW_IMAGEINFO info{};
    ASSERT_EQ(Call(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info), TWRC_SUCCESS);
    EXPECT_EQ(info.ImageLength, -1);
    Reset();
    ExpectNothingLeft();
}

TEST_F(Reception, FullDiskFailsTheReceptionRatherThanLosingABlock) {
    ScriptBlocks(1000, 12, 65, 64);
    LoadSource();
    Open();
    WinLayer_FailNthFileWrite(2);  // the second spooled block
    EXPECT_EQ(Enable(false), TWRC_SUCCESS);
    WinLayer_ClearFaults();
    EXPECT_TRUE(Shown("Error!\n Disk Space isn't enough."));
    EXPECT_TRUE(Shown("Error!\n gpWriteFunc Error"));
    TW_IMAGEINFO info{};
    ASSERT_EQ(Call(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info), TWRC_SUCCESS);
    EXPECT_EQ(info.ImageLength, -1);
    Reset();
    ExpectNothingLeft();
}

TEST_F(Reception, NextImageStartsFromAnEmptyQueue) {
    ScriptImage(100, {40, 40, 3});
    Announce();
    Reset();
    sm_->blocksDelivered = 0;
    readytoScan_(0);
    EXPECT_EQ(LiveHandles(), baseline_ + 3);
    TW_IMAGEINFO info{};
    ASSERT_EQ(Call(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info), TWRC_SUCCESS);
    EXPECT_EQ(info.ImageLength, 83);
}

TEST_F(Reception, UnloadingWithAQueuedImageReportsAndFreesIt) {
    ScriptBlocks(1000, 12, 65, 64);
    Announce();
    ASSERT_GT(SpoolSize(), 0);
    UnloadSource();
    EXPECT_TRUE(
        Shown("There are still 12 Memory Blocks in ImageQueue, program may have problems!!!\n"
              "Some MB of Global Heap maynot been freed or unlocked!!!"));
    ExpectNothingLeft();
}

TEST_F(Reception, SpoolOfAProcessKilledMidwayIsGoneOnceTheNextSourceStarts) {
    std::string ours = folder_ + "/tmp/QRVM" + ToHex(getpid()) + "-77";  // a live process's folder
    fs::create_directory(ours);
    ScriptBlocks(1000, 12, 65, 64);
    sm_->freezeAtBlock = 10;  // two blocks spooled, then the child stops itself
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        Announce();
        _exit(1);  // never reached: the child is killed at block 10
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, WUNTRACED), child);
    ASSERT_TRUE(WIFSTOPPED(status));
    std::string spoolFolder = "QRVM" + ToHex(child) + "-1";
    EXPECT_TRUE(fs::is_directory(folder_ + "/tmp/" + spoolFolder));
    EXPECT_FALSE(fs::exists(folder_ + "/tmp/" + spoolFolder + "/QRX5168.TMP")) << "the spool file has a name";
    kill(child, SIGKILL);
    ASSERT_EQ(waitpid(child, &status, 0), child);

    sm_->freezeAtBlock = 0;
    LoadSource();
    std::vector<std::string> left = TempEntries();
    EXPECT_TRUE(left == std::vector<std::string>{fs::path(ours).filename().string()}) << left.size();
    fs::remove(ours);
}
