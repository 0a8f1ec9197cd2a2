#include "data_source.h"

#include "winlayer_test.h"

#include <stdio.h>
#include <filesystem>
#include <stdlib.h>
#include <string.h>

namespace fs = std::filesystem;

namespace {

int RecordMessage(void *context, const char *text, const char *, UINT) {
    static_cast<std::vector<std::string> *>(context)->push_back(text);
    return IDOK;
}

template <typename Proc>
Proc Bind(HMODULE module, const char *name) {
    return reinterpret_cast<Proc>(reinterpret_cast<void (*)(void)>(GetProcAddress(module, name)));
}

// A Linux TWAIN 2 Source Manager's memory: zero-filled plain pointers.
TW_HANDLE ManagerAllocate(TW_UINT32 size) { return calloc(size, 1); }
void ManagerFree(TW_HANDLE handle) { free(handle); }
TW_MEMREF ManagerLock(TW_HANDLE handle) { return handle; }
void ManagerUnlock(TW_HANDLE) {}

}  // namespace

bool DataSource::Load() {
    const char *base = getenv("QR_BENCH_DIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/qrvm-bench-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (!mkdtemp(name.data())) {
        error_ = "cannot make a folder under " + pattern;
        return false;
    }
    folder_ = name.data();
    std::error_code failed;
    fs::create_directory(folder_ + "/windows", failed);
    fs::create_directory(folder_ + "/tmp", failed);
    fs::copy_file(QR_DS_PATH, folder_ + "/QRVM.ds", failed);
    fs::copy_file(QR_BENCH_SM_PATH, folder_ + "/qvsmod.dll", failed);
    fs::copy_file(QR_BENCH_DSM_PATH, folder_ + "/windows/TWAIN_32.DLL", failed);
    if (failed) {
        error_ = "cannot lay out " + folder_ + ": " + failed.message();
        return false;
    }
    setenv("WINDIR", (folder_ + "/windows").c_str(), 1);
    setenv("TMPDIR", (folder_ + "/tmp").c_str(), 1);
    WinLayer_SetMessageBoxQuiet(TRUE);
    WinLayer_SetMessageBoxHook(RecordMessage, &messages_);

    // Loaded first, so that the data source binds this very instance.
    scanModule_ = LoadLibraryA((folder_ + "/qvsmod.dll").c_str());
    dsm_ = LoadLibraryA((folder_ + "/windows/TWAIN_32.DLL").c_str());
    ds_ = LoadLibraryA((folder_ + "/QRVM.ds").c_str());
    if (!scanModule_ || !dsm_ || !ds_) {
        error_ = "cannot load the data source, the scan module or the Source Manager";
        return false;
    }
    setImage_ = Bind<BenchSM_SetImageProc>(scanModule_, "BenchSM_SetImage");
    bytesDelivered_ = Bind<BenchSM_BytesDeliveredProc>(scanModule_, "BenchSM_BytesDelivered");
    entry_ = Bind<DSENTRYPROC>(ds_, "DS_Entry");
    if (!setImage_ || !bytesDelivered_ || !entry_) {
        error_ = "an entry point is missing";
        return false;
    }

    app_.Id = 7;
    app_.ProtocolMajor = 1;
    app_.ProtocolMinor = 5;
    app_.SupportedGroups = DG_CONTROL | DG_IMAGE;
    strcpy(app_.ProductName, "Benchmark");
    TW_IDENTITY identity{};
    if (Call(DG_CONTROL, DAT_IDENTITY, MSG_GET, &identity) != TWRC_SUCCESS) {
        error_ = "DAT_IDENTITY MSG_GET failed";
        return false;
    }
    identity.Id = 42;
    // As a TWAIN 2 Source Manager opens a source: its entry point first.
    TW_ENTRYPOINT entryPoint{sizeof(TW_ENTRYPOINT), Bind<DSMENTRYPROC>(dsm_, "DSM_Entry"),
                             ManagerAllocate,       ManagerFree,
                             ManagerLock,           ManagerUnlock};
    if (Call(DG_CONTROL, DAT_ENTRYPOINT, MSG_SET, &entryPoint) != TWRC_SUCCESS) {
        error_ = "DAT_ENTRYPOINT failed";
        return false;
    }
    if (Call(DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &identity) != TWRC_SUCCESS) {
        error_ = "MSG_OPENDS failed";
        return false;
    }
    return true;
}

void DataSource::Unload() {
    if (ds_) {
        TW_IDENTITY identity{};
        identity.Id = 42;
        Call(DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &identity);
        FreeLibrary(ds_);
    }
    if (dsm_) FreeLibrary(dsm_);
    if (scanModule_) FreeLibrary(scanModule_);
    ds_ = dsm_ = scanModule_ = nullptr;
    entry_ = nullptr;
    WinLayer_SetMessageBoxHook(nullptr, nullptr);
    if (!folder_.empty()) {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
        folder_.clear();
    }
}

bool DataSource::SetImage(const BenchImage &image) { return setImage_(&image) != FALSE; }

TW_UINT16 DataSource::Call(TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG, void *data) {
    return entry_(&app_, DG, DAT, MSG, data);
}

bool DataSource::Announce() {
    TW_USERINTERFACE ui{};
    ui.ShowUI = FALSE;
    if (Call(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui) != TWRC_SUCCESS) return false;
    TW_IMAGEINFO info{};
    // Only state 600 answers DAT_IMAGEINFO.
    return Call(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info) == TWRC_SUCCESS;
}

bool DataSource::Finish() {
    TW_PENDINGXFERS pending{};
    bool ended = Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending) == TWRC_SUCCESS;
    TW_USERINTERFACE ui{};
    bool disabled = Call(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui) == TWRC_SUCCESS;
    return ended && disabled;
}

TW_UINT16 DataSource::Native(TW_HANDLE *dib) {
    *dib = nullptr;
    return Call(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, dib);
}

size_t DataSource::BitmapBytes(TW_HANDLE dib) {
    if (!dib) return 0;
    BITMAPINFOHEADER header;
    memcpy(&header, dib, sizeof header);
    size_t palette = header.biBitCount <= 8 ? ((size_t)1 << header.biBitCount) * 4 : 0;
    if (header.biClrUsed) palette = (size_t)header.biClrUsed * 4;
    return header.biSize + palette + header.biSizeImage;
}

void DataSource::Free(TW_HANDLE handle) { free(handle); }

TW_UINT16 DataSource::SetUpFile(const std::string &path, TW_UINT16 format) {
    TW_SETUPFILEXFER setup{};
    snprintf(setup.FileName, sizeof setup.FileName, "%s", path.c_str());
    setup.Format = format;
    return Call(DG_CONTROL, DAT_SETUPFILEXFER, MSG_SET, &setup);
}

TW_UINT16 DataSource::File() { return Call(DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, nullptr); }

TW_UINT32 DataSource::PreferredBufferSize() {
    TW_SETUPMEMXFER sizes{};
    if (Call(DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, &sizes) != TWRC_SUCCESS) return 0;
    return sizes.Preferred;
}

TW_UINT16 DataSource::Memory(std::vector<TW_UINT8> &buffer, unsigned long long *bytes, std::vector<TW_UINT8> *first) {
    *bytes = 0;
    for (;;) {
        TW_IMAGEMEMXFER strip{};
        strip.Memory = {TWMF_APPOWNS | TWMF_POINTER, (TW_UINT32)buffer.size(), buffer.data()};
        TW_UINT16 rc = Call(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &strip);
        if (rc == TWRC_SUCCESS || rc == TWRC_XFERDONE) {
            if (first && *bytes == 0) first->assign(buffer.begin(), buffer.begin() + strip.BytesWritten);
            *bytes += strip.BytesWritten;
        }
        if (rc != TWRC_SUCCESS) return rc;
    }
}
