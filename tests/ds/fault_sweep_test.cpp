// The fault sweep. Each complete acquisition (enable, reception, transfer) is
// run once to count the global allocations, heap allocations, file writes
// and file reads it makes, then again with each of those calls failing in
// turn. Whatever fails, the application gets a clear answer (the right
// image, TWRC_CANCEL, or TWRC_FAILURE with a condition code), nothing is
// left behind, and the source goes on: the transfer ends, the source closes,
// opens again and acquires the image correctly.
#include "xfer_fixture.h"

#include "winlayer_test.h"

#include <filesystem>
#include <stdio.h>

namespace fs = std::filesystem;

namespace {

// Where the image is while the application takes it.
enum class Held {
    Direct,    // with the scan module, asked for in the transfer's form
    ScanFile,  // with the scan module, as the TIFF file a memory transfer reads
    InMemory,  // received into the queue, every block in memory
    Spooled,   // received into the queue, the first block in memory, the rest in the spool file
};

struct Acquisition {
    Road road;
    Held held;
    bool enlarged;
    int bits;
};

enum FaultKind {
    GLOBAL_ALLOC = WINLAYER_GLOBAL_ALLOC,
    HEAP_ALLOC = WINLAYER_HEAP_ALLOC,
    FILE_WRITE = WINLAYER_FILE_WRITE,
    FILE_READ = WINLAYER_FILE_READ,
    FAULT_KINDS = WINLAYER_FAULT_KINDS
};
const char *const kFaultNames[FAULT_KINDS] = {"global allocation", "heap allocation", "file write", "file read"};

long CallsOf(const WinLayerCounters &counters, FaultKind kind) {
    const long calls[FAULT_KINDS] = {counters.globalAllocs, counters.heapAllocs, counters.fileWrites,
                                     counters.fileReads};
    return calls[kind];
}

// Fault points swept by this process, by kind.
long gSwept[FAULT_KINDS];

class SweepReport : public ::testing::Environment {
public:
    void TearDown() override {
        long total = gSwept[0] + gSwept[1] + gSwept[2] + gSwept[3];
        if (total == 0) return;
        printf(
            "[  SWEEP   ] %ld fault points: %ld global allocations, %ld heap allocations, %ld file writes, "
            "%ld file reads\n",
            total, gSwept[GLOBAL_ALLOC], gSwept[HEAP_ALLOC], gSwept[FILE_WRITE], gSwept[FILE_READ]);
    }
};
const ::testing::Environment *const kReport = ::testing::AddGlobalTestEnvironment(new SweepReport);

// What one acquisition gave the application.
struct Outcome {
    TW_UINT16 rc = 0;
    TW_UINT16 condition = TWCC_SUCCESS;
    Bytes delivered;
    bool outputLeft = false;  // the output file exists after a failed or cancelled transfer
    WinLayerCounters calls{};
};

}  // namespace

class FaultSweep : public TransferTest, public ::testing::WithParamInterface<Acquisition> {
protected:
    // The scan module's image for this acquisition, set up anew before each
    // run: its block and strip counters start again.
    void Script() {
        const Acquisition &a = GetParam();
        switch (a.held) {
        case Held::Direct:
        case Held::ScanFile:
            ScriptDirect(37, 20, a.bits);
            sm_->blockKilobytes = 1;  // memory strips of 1 KiB: several per image
            sm_->deliversFiles = a.held == Held::ScanFile;
            break;
        case Held::InMemory:
            ScriptQueued(37, 30, a.bits, 7, 1);
            break;
        case Held::Spooled:
            // A first block of 300000 bytes stays in memory, and sets a
            // quota that sends the two small ones after it to the spool file.
            ScriptBlocks(48000 / a.bits, a.bits, {50, 4, 4}, 300);
            break;
        }
        if (a.enlarged) ScanAt(300, 400);
    }

    std::string OutputPath() const { return Scratch(GetParam().road == Road::Bmp ? "out.bmp" : "out.tif"); }

    // The transfer itself, by the acquisition's road.
    void Transfer(Outcome *out) {
        Road road = GetParam().road;
        if (road == Road::Native || road == Road::Memory) {
            out->rc = TransferBy(road, &out->delivered);
            return;
        }
        if (SetUpFile(OutputPath(), road == Road::Bmp ? TWFF_BMP : TWFF_TIFF) != TWRC_SUCCESS) {
            ADD_FAILURE() << "file set-up refused";
            return;
        }
        out->rc = Call(DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, nullptr);
        std::error_code ignored;
        bool exists = fs::exists(OutputPath(), ignored);
        if (out->rc == TWRC_XFERDONE)
            out->delivered = ReadFileBytes(OutputPath());
        else
            out->outputLeft = exists;
        fs::remove(OutputPath(), ignored);
    }

    // One acquisition by a loaded source: open, enable, transfer, end, close.
    // With `n` above 0 the n-th call of `kind` from the enable on fails.
    Outcome Acquire(FaultKind kind = GLOBAL_ALLOC, long n = 0, TW_IMAGEINFO *info = nullptr) {
        Outcome out;
        Script();
        messages_.clear();
        Open();
        WinLayer_ResetCounters();
        WinLayer_FailNthOfKind(kind, n);
        EXPECT_EQ(Enable(false), TWRC_SUCCESS);
        if (info) {
            EXPECT_EQ(Call(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, info), TWRC_SUCCESS);
        }
        Transfer(&out);
        WinLayer_ClearFaults();
        WinLayer_GetCounters(&out.calls);
        if (out.rc == TWRC_FAILURE) out.condition = Status();
        Close();
        return out;
    }

    // End of the image, whatever became of it, and back to state 3.
    void Close() {
        TW_PENDINGXFERS pending{};
        EXPECT_EQ(Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending), TWRC_SUCCESS);
        TW_USERINTERFACE ui{};
        EXPECT_EQ(Call(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui), TWRC_SUCCESS);
        EXPECT_EQ(Call(DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &identity_), TWRC_SUCCESS);
    }

    // What the application must get: the scan module's image, enlarged if
    // asked, in the form of the road, at the resolution the source reports.
    Bytes Expected(const TW_IMAGEINFO &info) const {
        const Acquisition &a = GetParam();
        if (a.held == Held::Direct && (a.road == Road::Bmp || a.road == Road::Tiff)) {
            char text[128];
            snprintf(text, sizeof text, FAKESM_FILE_TEXT, a.road == Road::Bmp ? TWFF_BMP : TWFF_TIFF, scanned_.width,
                     scanned_.length);
            return Bytes(text, text + strlen(text));
        }
        Image image =
            a.enlarged && a.held != Held::Direct && a.held != Held::ScanFile ? Enlarged(scanned_, 4, 3) : scanned_;
        int xDpi = info.XResolution.Whole, yDpi = info.YResolution.Whole;
        switch (a.road) {
        case Road::Native:
            return ExpectedDib(image, xDpi, yDpi);
        case Road::Bmp:
            return ExpectedBmp(image, xDpi, yDpi);
        case Road::Tiff:
            return ExpectedTiff(image, xDpi, yDpi);
        default:
            return image.Joined();
        }
    }

    void ExpectNothingLeftBehind() {
        EXPECT_EQ(LiveHandles(), baselineHandles_) << "global blocks left";
        EXPECT_EQ(WinLayer_LiveHeapBlocks(), baselineHeap_) << "heap blocks left";
        EXPECT_EQ(WinLayer_LiveWindows(), baselineWindows_) << "windows left";
        std::vector<std::string> left = TempEntries();
        EXPECT_TRUE(left.empty()) << "left in the temporary folder: " << (left.empty() ? "" : left[0]);
    }

    void ExpectImage(const Outcome &out, const Bytes &expected) {
        ASSERT_EQ(out.rc, TWRC_XFERDONE);
        ASSERT_EQ(out.delivered.size(), expected.size());
        EXPECT_TRUE(out.delivered == expected)
            << "first difference at byte "
            << std::mismatch(out.delivered.begin(), out.delivered.end(), expected.begin()).first -
                   out.delivered.begin();
    }

    // A failure the application is told of clearly, or the right image when
    // the source got round the fault.
    void ExpectClearAnswer(const Outcome &out, const Bytes &expected) {
        if (out.rc == TWRC_XFERDONE) {
            ExpectImage(out, expected);
            return;
        }
        EXPECT_TRUE(out.rc == TWRC_FAILURE || out.rc == TWRC_CANCEL) << "return code " << out.rc;
        if (out.rc == TWRC_FAILURE) {
            EXPECT_NE(out.condition, TWCC_SUCCESS) << "a failure without a condition code";
        }
        EXPECT_FALSE(out.outputLeft) << "the file of a failed transfer is left";
    }

    long baselineHeap_ = 0;
};

TEST_P(FaultSweep, EveryFailedCallEndsClearlyAndTheSourceGoesOn) {
    LoadSource();
    baselineHandles_ = LiveHandles();
    baselineHeap_ = WinLayer_LiveHeapBlocks();

    TW_IMAGEINFO info{};
    Outcome counted = Acquire(GLOBAL_ALLOC, 0, &info);
    Bytes expected = Expected(info);
    ExpectImage(counted, expected);
    ExpectNothingLeftBehind();
    if (HasFailure()) return;

    long points = 0, whole = 0, cancelled = 0;
    for (int k = 0; k < FAULT_KINDS; ++k) {
        FaultKind kind = static_cast<FaultKind>(k);
        for (long n = 1; n <= CallsOf(counted.calls, kind); ++n, ++points) {
            SCOPED_TRACE(testing::Message()
                         << kFaultNames[kind] << " " << n << " of " << CallsOf(counted.calls, kind) << " failing");
            Outcome faulted = Acquire(kind, n);
            ExpectClearAnswer(faulted, expected);
            whole += faulted.rc == TWRC_XFERDONE;
            cancelled += faulted.rc == TWRC_CANCEL;
            EXPECT_GE(CallsOf(faulted.calls, kind), n) << "the call to fail was never made";
            ExpectNothingLeftBehind();
            // The next acquisition, with nothing failing, is whole.
            ExpectImage(Acquire(), expected);
            ExpectNothingLeftBehind();
            if (HasFailure()) return;
        }
        gSwept[kind] += CallsOf(counted.calls, kind);
    }
    printf(
        "[  SWEEP   ] %ld fault points (%ld global allocations, %ld heap allocations, %ld file writes, %ld file "
        "reads): %ld failed, %ld cancelled, %ld delivered whole\n",
        points, counted.calls.globalAllocs, counted.calls.heapAllocs, counted.calls.fileWrites, counted.calls.fileReads,
        points - cancelled - whole, cancelled, whole);
}

static std::vector<Acquisition> AllAcquisitions() {
    std::vector<Acquisition> all;
    for (int bits : {1, 8, 24}) {
        for (Road road : {Road::Native, Road::Bmp, Road::Tiff, Road::Memory}) {
            all.push_back({road, Held::Direct, false, bits});
            for (Held held : {Held::InMemory, Held::Spooled})
                for (bool enlarged : {false, true}) all.push_back({road, held, enlarged, bits});
        }
        all.push_back({Road::Memory, Held::ScanFile, false, bits});
    }
    return all;
}

static std::string AcquisitionName(const ::testing::TestParamInfo<Acquisition> &info) {
    static const char *const kHeld[] = {"Direct", "ScanFile", "InMemory", "Spooled"};
    const Acquisition &a = info.param;
    return std::string(RoadName(a.road)) + kHeld[static_cast<int>(a.held)] + (a.enlarged ? "Enlarged" : "") +
           std::to_string(a.bits) + "Bit";
}

INSTANTIATE_TEST_SUITE_P(Acquisitions, FaultSweep, ::testing::ValuesIn(AllAcquisitions()), AcquisitionName);
