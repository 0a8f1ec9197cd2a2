// The data source as an application meets it on Windows: installed where the
// system's Source Manager looks for sources, driven through twain_32.dll,
// with the simulated scanner behind it. Under Wine this is Wine's own Source
// Manager; the prefix the script sets up holds our QRVM.ds as
// twain_64\sane.ds, with QRVM.INI and qvsmod.dll beside it.
#include "dialog_presser.h"
#include "image_check.h"
#include "sim_settings.h"
#include "twain_app.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

namespace {

const char kProductName[] = "QR Simulated Flatbed";
const char kScanDialog[] = "QR Simulated Scanner";
const int kScanButton = 1002;   // the scan module's Scan button
const int kCloseButton = 1003;  // and its Close button
const char kProgressCaption[] = "Image Data Transferring...";
const DWORD kEventTimeoutMs = 20000;

std::string TempPath(const char *name) {
    char folder[MAX_PATH] = {};
    GetTempPathA(sizeof folder, folder);
    return std::string(folder) + name;
}

bool FileExists(const std::string &path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The spool files of this process: QRVM<pid>-<serial>\QRX5168.TMP in the
// temporary folder, one private folder per spooled image.
int SpoolFiles() {
    char pattern[64];
    snprintf(pattern, sizeof pattern, "QRVM%lX-*", static_cast<unsigned long>(GetCurrentProcessId()));
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(TempPath(pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    int count = 0;
    do {
        if (FileExists(TempPath(found.cFileName) + "\\QRX5168.TMP")) ++count;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return count;
}

// The small page SimulatorSettings::Reset configures.
const Expected kSmallColourPage = {300, 150, 24, 0};

class Twain : public ::testing::Test {
protected:
    void SetUp() override {
        settings_.Reset();
        ASSERT_TRUE(app_.OpenManager());
    }
    void TearDown() override {
        app_.CloseManager();
        EXPECT_EQ(SpoolFiles(), 0) << "a spool file was left behind";
    }

    void OpenOurs() { ASSERT_EQ(app_.OpenSource(kProductName), TWRC_SUCCESS); }

    void Use(TW_UINT16 mechanism) { ASSERT_EQ(app_.SetOneValue(ICAP_XFERMECH, TWTY_UINT16, mechanism), TWRC_SUCCESS); }

    // Enables the source without its dialog: the scan runs at once and the
    // application hears of the image through its message loop.
    void ScanWithoutDialog() {
        ASSERT_EQ(app_.Enable(false), TWRC_SUCCESS);
        ASSERT_EQ(app_.WaitForSourceMessage(kEventTimeoutMs), MSG_XFERREADY);
    }

    TW_IMAGEINFO ImageInfo() {
        TW_IMAGEINFO info = {};
        EXPECT_EQ(app_.Call(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info), TWRC_SUCCESS);
        return info;
    }

    void EndAndClose() {
        TW_UINT16 remaining = 99;
        EXPECT_EQ(app_.EndXfer(&remaining), TWRC_SUCCESS);
        EXPECT_EQ(remaining, 0);
        EXPECT_EQ(app_.Disable(), TWRC_SUCCESS);
        EXPECT_EQ(app_.CloseSource(), TWRC_SUCCESS);
    }

    // DG_IMAGE / DAT_IMAGENATIVEXFER: the whole DIB, checked.
    void TransferNative(const Expected &expected) {
        TW_HANDLE handle = nullptr;
        ASSERT_EQ(app_.Call(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &handle), TWRC_XFERDONE);
        ASSERT_NE(handle, nullptr);
        const uint8_t *dib = static_cast<const uint8_t *>(GlobalLock(handle));
        ASSERT_NE(dib, nullptr);
        EXPECT_EQ(CheckDib(dib, GlobalSize(handle), expected), "");
        GlobalUnlock(handle);
        GlobalFree(handle);
    }

    // DG_IMAGE / DAT_IMAGEMEMXFER strip by strip in the source's preferred
    // size, each strip checked where it lies.
    void TransferMemory(const Expected &expected) {
        TW_SETUPMEMXFER setup = {};
        ASSERT_EQ(app_.Call(DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, &setup), TWRC_SUCCESS);
        ASSERT_GT(setup.Preferred, 0u);
        std::vector<uint8_t> buffer(setup.Preferred);
        uint32_t rowsSeen = 0;
        for (int strip = 0; strip < 100000; ++strip) {
            TW_IMAGEMEMXFER xfer = {};
            xfer.Memory = {TWMF_APPOWNS | TWMF_POINTER, static_cast<TW_UINT32>(buffer.size()), buffer.data()};
            TW_UINT16 rc = app_.Call(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &xfer);
            ASSERT_TRUE(rc == TWRC_SUCCESS || rc == TWRC_XFERDONE) << "strip " << strip << " rc " << rc;
            ASSERT_EQ(xfer.YOffset, rowsSeen);
            ASSERT_LE(static_cast<uint64_t>(xfer.BytesPerRow) * xfer.Rows, buffer.size());
            ASSERT_EQ(CheckRows(buffer.data(), xfer.YOffset, xfer.Rows, xfer.BytesPerRow, expected), "");
            rowsSeen += xfer.Rows;
            if (rc == TWRC_XFERDONE) break;
        }
        EXPECT_EQ(rowsSeen, expected.length);
    }

    // DG_IMAGE / DAT_IMAGEFILEXFER into a file of the temporary folder.
    std::vector<uint8_t> TransferFile(const char *name, TW_UINT16 format) {
        std::string path = TempPath(name);
        DeleteFileA(path.c_str());
        TW_SETUPFILEXFER setup = {};
        snprintf(setup.FileName, sizeof setup.FileName, "%s", path.c_str());
        setup.Format = format;
        EXPECT_EQ(app_.Call(DG_CONTROL, DAT_SETUPFILEXFER, MSG_SET, &setup), TWRC_SUCCESS);
        EXPECT_EQ(app_.Call(DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, nullptr), TWRC_XFERDONE);
        std::vector<uint8_t> file = ReadWholeFile(path);
        DeleteFileA(path.c_str());
        return file;
    }

    TwainApp app_;
    SimulatorSettings settings_;
};

TEST_F(Twain, SourceManagerListsOurSourceWithItsIdentity) {
    bool listed = false;
    for (const TW_IDENTITY &source : app_.Sources()) {
        if (strcmp(source.ProductName, kProductName) != 0) continue;
        listed = true;
        EXPECT_STREQ(source.Manufacturer, "QR Imaging");
        EXPECT_STREQ(source.ProductFamily, "QR Simulator");
        EXPECT_STREQ(source.Version.Info, "Simulator 1.0");
        EXPECT_EQ(source.Version.Language, 13);
        EXPECT_EQ(source.Version.Country, 886);
        EXPECT_EQ(source.ProtocolMajor, 1);
        EXPECT_EQ(source.ProtocolMinor, 5);
        EXPECT_EQ(source.SupportedGroups & (DG_CONTROL | DG_IMAGE), static_cast<TW_UINT32>(DG_CONTROL | DG_IMAGE));
    }
    EXPECT_TRUE(listed);
}

TEST_F(Twain, OpensNegotiatesAndClosesAgain) {
    OpenOurs();
    EXPECT_NE(app_.Source().Id, 0u);
    TW_UINT16 type = 0;
    TW_UINT32 value = 0;
    // Each value set is the one read back.
    EXPECT_EQ(app_.SetOneValue(ICAP_XFERMECH, TWTY_UINT16, TWSX_NATIVE), TWRC_SUCCESS);
    ASSERT_EQ(app_.GetCurrent(ICAP_XFERMECH, &type, &value), TWRC_SUCCESS);
    EXPECT_EQ(type, TWTY_UINT16);
    EXPECT_EQ(value, static_cast<TW_UINT32>(TWSX_NATIVE));
    EXPECT_EQ(app_.SetOneValue(ICAP_PIXELTYPE, TWTY_UINT16, TWPT_GRAY), TWRC_SUCCESS);
    ASSERT_EQ(app_.GetCurrent(ICAP_PIXELTYPE, &type, &value), TWRC_SUCCESS);
    EXPECT_EQ(value, static_cast<TW_UINT32>(TWPT_GRAY));
    // A value out of the list is refused and says why.
    EXPECT_EQ(app_.SetOneValue(ICAP_XFERMECH, TWTY_UINT16, 7), TWRC_FAILURE);
    EXPECT_EQ(app_.ConditionCode(), TWCC_BADVALUE);
    EXPECT_EQ(app_.ConditionCode(), TWCC_SUCCESS);  // reported once
    // A triplet the source does not know.
    EXPECT_EQ(app_.Call(DG_CONTROL, DAT_XFERGROUP + 0x40, MSG_GET, &value), TWRC_FAILURE);
    EXPECT_EQ(app_.ConditionCode(), TWCC_BADPROTOCOL);
    EXPECT_EQ(app_.CloseSource(), TWRC_SUCCESS);
    // Open again: the values are the defaults once more.
    OpenOurs();
    ASSERT_EQ(app_.GetCurrent(ICAP_PIXELTYPE, &type, &value), TWRC_SUCCESS);
    EXPECT_EQ(value, static_cast<TW_UINT32>(TWPT_RGB));
    EXPECT_EQ(app_.CloseSource(), TWRC_SUCCESS);
}

TEST_F(Twain, EventsGoToTheScanModulesDialogOnlyWhileEnabledWithIt) {
    OpenOurs();
    MSG message = {app_.Window(), WM_NULL, 0, 0, 0, {0, 0}};
    TW_EVENT event = {&message, 0x1234};
    EXPECT_EQ(app_.Call(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event), TWRC_NOTDSEVENT);
    EXPECT_EQ(event.TWMessage, MSG_NULL);
    ASSERT_EQ(app_.Enable(true), TWRC_SUCCESS);
    HWND dialog = FindWindowA("#32770", kScanDialog);
    ASSERT_NE(dialog, nullptr);
    MSG tab = {dialog, WM_KEYDOWN, VK_TAB, 1, 0, {0, 0}};
    event = {&tab, 0x1234};
    EXPECT_EQ(app_.Call(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event), TWRC_DSEVENT);
    EXPECT_EQ(event.TWMessage, MSG_NULL);
    event = {&message, 0x1234};
    EXPECT_EQ(app_.Call(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event), TWRC_NOTDSEVENT);
    EXPECT_EQ(app_.Disable(), TWRC_SUCCESS);
    EXPECT_EQ(app_.CloseSource(), TWRC_SUCCESS);
}

TEST_F(Twain, ScanModulesDialogScansAndAsksToClose) {
    OpenOurs();
    Use(TWSX_NATIVE);
    ASSERT_EQ(app_.Enable(true), TWRC_SUCCESS);
    {
        DialogPresser user(kScanDialog, kScanButton);
        ASSERT_EQ(app_.WaitForSourceMessage(kEventTimeoutMs), MSG_XFERREADY);
        ASSERT_TRUE(user.Join());
    }
    TransferNative(kSmallColourPage);
    TW_UINT16 remaining = 99;
    EXPECT_EQ(app_.EndXfer(&remaining), TWRC_SUCCESS);
    EXPECT_EQ(remaining, 0);
    {
        DialogPresser user(kScanDialog, kCloseButton);
        EXPECT_EQ(app_.WaitForSourceMessage(kEventTimeoutMs), MSG_CLOSEDSREQ);
        EXPECT_TRUE(user.Join());
    }
    EXPECT_EQ(app_.Disable(), TWRC_SUCCESS);
    EXPECT_EQ(app_.CloseSource(), TWRC_SUCCESS);
    EXPECT_EQ(FindWindowA("#32770", kScanDialog), nullptr);
}

TEST_F(Twain, NativeTransferOfAColourPage) {
    OpenOurs();
    Use(TWSX_NATIVE);
    ScanWithoutDialog();
    TW_IMAGEINFO info = ImageInfo();
    EXPECT_EQ(info.ImageWidth, 300);
    EXPECT_EQ(info.ImageLength, 150);
    EXPECT_EQ(info.BitsPerPixel, 24);
    EXPECT_EQ(info.PixelType, TWPT_RGB);
    TransferNative(kSmallColourPage);
    EndAndClose();
}

TEST_F(Twain, NativeTransferOfAGreyPageAfterNegotiation) {
    OpenOurs();
    Use(TWSX_NATIVE);
    ASSERT_EQ(app_.SetOneValue(ICAP_PIXELTYPE, TWTY_UINT16, TWPT_GRAY), TWRC_SUCCESS);
    ScanWithoutDialog();
    EXPECT_EQ(ImageInfo().BitsPerPixel, 8);
    TransferNative({300, 150, 8, 0});
    EndAndClose();
}

TEST_F(Twain, MemoryTransferInStrips) {
    OpenOurs();
    Use(TWSX_MEMORY);
    ScanWithoutDialog();
    TransferMemory(kSmallColourPage);
    EndAndClose();
}

TEST_F(Twain, MemoryTransferThroughTheScanModulesFile) {
    settings_.Set("FileMode", 1);
    OpenOurs();
    Use(TWSX_MEMORY);
    ScanWithoutDialog();
    TransferMemory(kSmallColourPage);
    EndAndClose();
}

TEST_F(Twain, FileTransfersWrittenByTheScanModule) {
    OpenOurs();
    Use(TWSX_FILE);
    ScanWithoutDialog();
    EXPECT_EQ(CheckBmpFile(TransferFile("qr-e2e-sm.bmp", TWFF_BMP), kSmallColourPage), "");
    EndAndClose();
    OpenOurs();
    Use(TWSX_FILE);
    ScanWithoutDialog();
    EXPECT_EQ(CheckTiffFile(TransferFile("qr-e2e-sm.tif", TWFF_TIFF), kSmallColourPage), "");
    EndAndClose();
}

// Pages of open length are received whole into the source's queue before the
// application hears of them; every transfer then reads the queue.
class QueuedTwain : public Twain {
protected:
    void SetUp() override {
        Twain::SetUp();
        settings_.Set("UnknownLength", 1);
        settings_.Set("BlockKB", 4);
    }
};

TEST_F(QueuedTwain, NativeTransfer) {
    OpenOurs();
    Use(TWSX_NATIVE);
    ScanWithoutDialog();
    TransferNative(kSmallColourPage);
    EndAndClose();
}

TEST_F(QueuedTwain, MemoryTransfer) {
    OpenOurs();
    Use(TWSX_MEMORY);
    ScanWithoutDialog();
    TransferMemory(kSmallColourPage);
    EndAndClose();
}

TEST_F(QueuedTwain, BmpFileTransfer) {
    OpenOurs();
    Use(TWSX_FILE);
    ScanWithoutDialog();
    EXPECT_EQ(CheckBmpFile(TransferFile("qr-e2e.bmp", TWFF_BMP), kSmallColourPage), "");
    EndAndClose();
}

TEST_F(QueuedTwain, TiffFileTransfer) {
    OpenOurs();
    Use(TWSX_FILE);
    ScanWithoutDialog();
    EXPECT_EQ(CheckTiffFile(TransferFile("qr-e2e.tif", TWFF_TIFF), kSmallColourPage), "");
    EndAndClose();
}

TEST_F(QueuedTwain, GreyTiffFileTransfer) {
    OpenOurs();
    Use(TWSX_FILE);
    ASSERT_EQ(app_.SetOneValue(ICAP_PIXELTYPE, TWTY_UINT16, TWPT_GRAY), TWRC_SUCCESS);
    ScanWithoutDialog();
    EXPECT_EQ(CheckTiffFile(TransferFile("qr-e2e-grey.tif", TWFF_TIFF), {300, 150, 8, 0}), "");
    EndAndClose();
}

// A full page, large enough to spool to disk, is written as a TIFF file; the
// user presses Cancel on the progress dialog while it is written.
TEST_F(QueuedTwain, CancelOnTheProgressDialogStopsTheTransferAndLeavesNoFile) {
    settings_.Set("WidthInches", "8.5");
    settings_.Set("HeightInches", "11");
    settings_.Set("BlockKB", 8);  // one row of 7650 bytes per block: 3300 steps
    OpenOurs();
    Use(TWSX_FILE);
    ScanWithoutDialog();
    EXPECT_EQ(SpoolFiles(), 1) << "the page should not fit in memory";
    std::string path = TempPath("qr-e2e-cancel.tif");
    DeleteFileA(path.c_str());
    TW_SETUPFILEXFER setup = {};
    snprintf(setup.FileName, sizeof setup.FileName, "%s", path.c_str());
    setup.Format = TWFF_TIFF;
    ASSERT_EQ(app_.Call(DG_CONTROL, DAT_SETUPFILEXFER, MSG_SET, &setup), TWRC_SUCCESS);
    DialogPresser user(kProgressCaption, IDCANCEL);
    EXPECT_EQ(app_.Call(DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, nullptr), TWRC_CANCEL);
    ASSERT_TRUE(user.Join()) << "the progress dialog never showed";
    EXPECT_FALSE(FileExists(path));
    EXPECT_EQ(FindWindowA("#32770", kProgressCaption), nullptr);
    // What the user saw: the dialog in the middle of the screen, above every
    // other window, holding the mouse.
    const DialogSnapshot &seen = user.Seen();
    EXPECT_NE(seen.exStyle & WS_EX_TOPMOST, 0);
    EXPECT_EQ(seen.captureOfItsThread, seen.dialog);
    int width = seen.frame.right - seen.frame.left, height = seen.frame.bottom - seen.frame.top;
    EXPECT_EQ(seen.frame.left, (GetSystemMetrics(SM_CXSCREEN) - width) >> 1);
    EXPECT_EQ(seen.frame.top, (GetSystemMetrics(SM_CYSCREEN) - height) >> 1);
    EndAndClose();
}

// The source tells its user of a fault in a message box, titled with the
// data source's name; the user's OK lets the transfer fail.
TEST_F(QueuedTwain, FileThatCannotBeCreatedIsReportedAndFails) {
    OpenOurs();
    Use(TWSX_FILE);
    ScanWithoutDialog();
    TW_SETUPFILEXFER setup = {};
    strcpy(setup.FileName, "C:\\no such folder\\image.bmp");
    setup.Format = TWFF_BMP;
    ASSERT_EQ(app_.Call(DG_CONTROL, DAT_SETUPFILEXFER, MSG_SET, &setup), TWRC_SUCCESS);
    const int kMessageText = 0xFFFF;
    DialogPresser user("QRVM", IDOK, DialogPresser::Press::Command, kMessageText);
    EXPECT_EQ(app_.Call(DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, nullptr), TWRC_FAILURE);
    ASSERT_TRUE(user.Join()) << "no message box";
    EXPECT_EQ(user.Seen().text, "Error!\n Cannot Create File.");
    EXPECT_EQ(app_.ConditionCode(), TWCC_OPERATIONERROR);
    TW_PENDINGXFERS pending = {};
    EXPECT_EQ(app_.Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pending), TWRC_SUCCESS);
    EXPECT_EQ(app_.Disable(), TWRC_SUCCESS);
    EXPECT_EQ(app_.CloseSource(), TWRC_SUCCESS);
}

}  // namespace
