#include "dsm_fixture.h"

#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <fstream>

namespace {

void CopyInto(const std::string &from, const std::string &folder) {
    std::string name = from.substr(from.find_last_of('/') + 1);
    std::ifstream in(from, std::ios::binary);
    std::ofstream out(folder + "/" + name, std::ios::binary);
    out << in.rdbuf();
}

}  // namespace

void DsmTest::SetUp() {
    char pattern[] = "/tmp/dsm_test_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
    CopyInto(QR_FAKE_ALPHA_PATH, folder_);
    CopyInto(QR_FAKE_BETA_PATH, folder_);
    std::ofstream(folder_ + "/notes.ds") << "not a library\n";
    std::ofstream(folder_ + "/readme.txt") << "not a source\n";
    setenv("QR_TWAIN_SOURCES", folder_.c_str(), 1);
    unsetenv("QR_DSM_LOG");
    unsetenv("FAKE_DS_ON_ENABLE");
    unsetenv("FAKE_DS_REFUSE_OPEN");
    unsetenv("FAKE_DS_TWAIN2");

    dsm_ = LoadLibraryA(QR_DSM_PATH);
    ASSERT_NE(dsm_, nullptr);
    entry_ = DsmBind<DSMENTRYPROC>(dsm_, "DSM_Entry");
    ASSERT_NE(entry_, nullptr);

    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "DsmTestWindow";
    RegisterClassA(&wc);
    window_ =
        CreateWindowExA(0, "DsmTestWindow", "dsm test", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window_, nullptr);

    strcpy(app_.ProductName, "dsm_tests");
    app_.ProtocolMajor = 1;
    app_.ProtocolMinor = 5;
    app_.SupportedGroups = DG_CONTROL | DG_IMAGE;
}

void DsmTest::TearDown() {
    // Sources a test left open would stay loaded after the manager goes.
    for (TW_UINT32 id : opened_) {
        TW_IDENTITY source{};
        source.Id = id;
        if (entry_) CloseSource(&source);
    }
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
    if (window_) DestroyWindow(window_);
    if (dsm_) FreeLibrary(dsm_);
    std::string command = "rm -rf '" + folder_ + "'";
    if (system(command.c_str()) != 0) ADD_FAILURE() << "could not remove " << folder_;
}

TW_UINT16 DsmTest::OpenSource(const char *name, TW_IDENTITY *source) {
    memset(source, 0, sizeof *source);
    strcpy(source->ProductName, name);
    TW_UINT16 rc = Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, source);
    if (rc == TWRC_SUCCESS) opened_.push_back(source->Id);
    return rc;
}

TW_UINT16 DsmTest::Enable(TW_IDENTITY *source) {
    TW_USERINTERFACE ui{};
    ui.hParent = window_;
    return Call(source, DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui);
}

TW_UINT16 DsmTest::ManagerCondition() {
    TW_STATUS status{};
    EXPECT_EQ(Call(nullptr, DG_CONTROL, DAT_STATUS, MSG_GET, &status), TWRC_SUCCESS);
    return status.ConditionCode;
}

std::vector<TW_UINT16> DsmTest::PumpEvents(TW_IDENTITY *source) {
    std::vector<TW_UINT16> messages;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TW_EVENT event{};
        event.pEvent = &message;
        TW_UINT16 rc = Call(source, DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event);
        if (rc == TWRC_DSEVENT && event.TWMessage != MSG_NULL) messages.push_back(event.TWMessage);
    }
    return messages;
}
