// The data source as the benchmarks drive it: loaded from a private folder
// with the benchmarks' scan module and Source Manager beside it, and called
// through DS_Entry like an application would.
#ifndef QR_BENCH_DATA_SOURCE_H
#define QR_BENCH_DATA_SOURCE_H

#include "bench_scan_module.h"

#include <string>
#include <vector>

class DataSource {
public:
    DataSource() = default;
    ~DataSource() { Unload(); }
    DataSource(const DataSource &) = delete;
    DataSource &operator=(const DataSource &) = delete;

    // Loads and opens the source (state 400). False, with error() saying
    // why, when that fails.
    bool Load();
    void Unload();
    const std::string &error() const { return error_; }

    // The image the scanner delivers at the next Announce.
    bool SetImage(const BenchImage &image);
    unsigned long long ScannerBytes() const { return bytesDelivered_(); }
    // Enables without a dialog: the scanner announces its image at once, and
    // an image of open length is received into the queue and the spool file
    // before the call returns (state 600).
    bool Announce();
    // Ends the transfer and disables (state 400); drops an image not taken.
    bool Finish();

    TW_UINT16 Call(TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG, void *data);

    // The transfers. Native: the bitmap's handle, which the caller frees.
    TW_UINT16 Native(TW_HANDLE *dib);
    // What the data source hands over is Linux TWAIN memory: a plain
    // pointer the application frees. A bitmap's size is read from its header.
    static size_t BitmapBytes(TW_HANDLE dib);
    static void Free(TW_HANDLE handle);
    TW_UINT16 SetUpFile(const std::string &path, TW_UINT16 format);
    TW_UINT16 File();
    TW_UINT32 PreferredBufferSize();
    // Every strip into `buffer`; the bytes of all strips in *bytes, and a
    // copy of the first strip in *first when asked. The last return code.
    TW_UINT16 Memory(std::vector<TW_UINT8> &buffer, unsigned long long *bytes, std::vector<TW_UINT8> *first = nullptr);

    // Where the data source's temporary files and the benchmark's files go.
    const std::string &folder() const { return folder_; }
    std::string Scratch(const std::string &name) const { return folder_ + "/" + name; }
    // Message boxes the data source showed: every one means a failure.
    const std::vector<std::string> &messages() const { return messages_; }

private:
    std::string folder_, error_;
    std::vector<std::string> messages_;
    HMODULE scanModule_ = nullptr, dsm_ = nullptr, ds_ = nullptr;
    DSENTRYPROC entry_ = nullptr;
    BenchSM_SetImageProc setImage_ = nullptr;
    BenchSM_BytesDeliveredProc bytesDelivered_ = nullptr;
    TW_IDENTITY app_{};
};

#endif
