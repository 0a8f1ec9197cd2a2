#include "sm_fixture.h"

#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>

namespace {

bool CopyFile(const std::string &from, const std::string &to) {
    std::ifstream in(from, std::ios::binary);
    std::ofstream out(to, std::ios::binary);
    out << in.rdbuf();
    return in.good() && out.good();
}

}  // namespace

void ScanModuleTest::SetUp() {
    char pattern[] = "/tmp/qvsmod_test_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
}

void ScanModuleTest::TearDown() {
    if (module_) FreeLibrary(module_);
    if (host_) FreeLibrary(host_);
    std::string command = "rm -rf '" + folder_ + "'";
    if (system(command.c_str()) != 0) ADD_FAILURE() << "could not remove " << folder_;
}

void ScanModuleTest::Load(const std::string &keys) {
    LoadWithIni(keys.empty() ? "" : "[Scanner]\nScanDll=qvsmod.dll\n[Simulator]\n" + keys);
}

void ScanModuleTest::LoadWithIni(const std::string &text) {
    std::string path = folder_ + "/qvsmod.dll";
    ASSERT_TRUE(CopyFile(QR_QVSMOD_PATH, path));
    if (!text.empty()) std::ofstream(folder_ + "/QRVM.INI") << text;
    module_ = LoadLibraryA(path.c_str());
    ASSERT_NE(module_, nullptr);
#define BIND(name)                                      \
    ops_.name = BindExport<name##Proc>(module_, #name); \
    ASSERT_NE(ops_.name, nullptr) << "missing export " #name;
    BIND(GetProductName)
    BIND(ConnectScanner)
    BIND(GetDefValue)
    BIND(SetDefValue)
    BIND(OpenSMUI)
    BIND(CkUseBufXfer)
    BIND(UpdateImageInfo)
    BIND(Button_Scan)
    BIND(GetSMImage_Buf)
    BIND(GetSMImage_File)
    BIND(GetSMImage_DIB)
    BIND(CloseSMUI)
    BIND(NoUItoXferImage)
    BIND(CheckScanJob)
#undef BIND
    // The data source's order: identity at start-up, then a connection.
    char name[36], maker[36], family[36], info[36];
    TW_UINT16 major = 0, minor = 0;
    ops_.GetProductName(name, TWLG_USA, &major, &minor, maker, family, info);
    ASSERT_NE(ops_.ConnectScanner(0), -1);
}

void ScanModuleTest::LoadHost() {
    host_ = LoadLibraryA(QR_TEST_HOST_PATH);
    ASSERT_NE(host_, nullptr);
}

int ScanModuleTest::HostScans() { return BindExport<int (*)(void)>(host_, "Host_Scans")(); }
int ScanModuleTest::HostCloses() { return BindExport<int (*)(void)>(host_, "Host_Closes")(); }

void ScanModuleTest::StartJob() {
    if (!host_) LoadHost();
    ASSERT_NE(ops_.NoUItoXferImage(nullptr), 0);
}
