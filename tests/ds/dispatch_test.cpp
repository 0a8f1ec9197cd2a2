// DS_Entry's routing and the condition-code convention.
#include "harness.h"

class Dispatch : public DataSourceTest {
protected:
    void SetUp() override {
        DataSourceTest::SetUp();
        LoadSource();
        Open();
    }
};

TEST_F(Dispatch, EventWithoutScanModuleWindowIsNotOurs) {
    MSG message{};
    TW_EVENT event{&message, 0x1234};
    EXPECT_EQ(Call(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event), TWRC_NOTDSEVENT);
    EXPECT_EQ(event.TWMessage, MSG_NULL);
}

TEST_F(Dispatch, EventRecognisedByMessageAloneWhateverGroupAndType) {
    MSG message{};
    TW_EVENT event{&message, 0x1234};
    EXPECT_EQ(Call(DG_IMAGE, DAT_PALETTE8, MSG_PROCESSEVENT, &event), TWRC_NOTDSEVENT);
    EXPECT_EQ(event.TWMessage, MSG_NULL);
    EXPECT_EQ(Call(DG_AUDIO, DAT_NULL, MSG_PROCESSEVENT, &event), TWRC_NOTDSEVENT);
}

TEST_F(Dispatch, ScanModuleDialogTakesItsOwnMessagesOnly) {
    ASSERT_EQ(Enable(true), TWRC_SUCCESS);
    ASSERT_NE(sm_->uiWindow, nullptr);
    HWND other = CreateWindowExA(0, "STATIC", "app", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);

    MSG message{};
    message.hwnd = sm_->uiWindow;
    message.message = WM_KEYDOWN;
    message.wParam = VK_TAB;
    TW_EVENT event{&message, 0x1234};
    EXPECT_EQ(Call(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event), TWRC_DSEVENT);
    EXPECT_EQ(event.TWMessage, MSG_NULL);

    message.hwnd = other;
    event.TWMessage = 0x1234;
    EXPECT_EQ(Call(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event), TWRC_NOTDSEVENT);
    EXPECT_EQ(event.TWMessage, MSG_NULL);
    DestroyWindow(other);
}

TEST_F(Dispatch, EventProcessingKeepsTheConditionCode) {
    EXPECT_EQ(Call(DG_CONTROL, DAT_PALETTE8, MSG_GET, nullptr), TWRC_FAILURE);
    MSG message{};
    TW_EVENT event{&message, 0};
    Call(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event);
    EXPECT_EQ(Status(), TWCC_BADPROTOCOL);
}

TEST_F(Dispatch, UnknownTypesGroupsAndMessagesAreBadProtocol) {
    struct Case {
        TW_UINT32 DG;
        TW_UINT16 DAT;
        TW_UINT16 MSG;
    } cases[] = {
        {DG_CONTROL, DAT_PALETTE8, MSG_GET},  // not in the control table
        {DG_CONTROL, DAT_EVENT, MSG_GET},     // events come only with MSG_PROCESSEVENT
        {DG_AUDIO, DAT_IDENTITY, MSG_GET},    // a group the source does not serve
        {DG_IMAGE, DAT_IDENTITY, MSG_GET},    // a control type in the image group
        {DG_CONTROL, DAT_IDENTITY, MSG_GETFIRST},  {DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDSUIONLY},
        {DG_CONTROL, DAT_STATUS, MSG_SET},         {DG_CONTROL, DAT_XFERGROUP, MSG_SET},
        {DG_IMAGE, DAT_IMAGEINFO, MSG_GETCURRENT}, {DG_IMAGE, DAT_IMAGELAYOUT, MSG_GETCURRENT},
    };
    for (const Case &c : cases) {
        TW_UINT8 scratch[512] = {};
        SCOPED_TRACE(testing::Message() << "DG " << c.DG << " DAT " << c.DAT << " MSG " << c.MSG);
        EXPECT_EQ(Call(c.DG, c.DAT, c.MSG, scratch), TWRC_FAILURE);
        EXPECT_EQ(Status(), TWCC_BADPROTOCOL);
    }
}

TEST_F(Dispatch, StatusReportsTheLastFailureOnceAndAnyOtherTripletClearsIt) {
    EXPECT_EQ(Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_GET, nullptr), TWRC_FAILURE);
    EXPECT_EQ(Status(), TWCC_BADVALUE);
    EXPECT_EQ(Status(), TWCC_SUCCESS);

    EXPECT_EQ(Call(DG_CONTROL, DAT_PALETTE8, MSG_GET, nullptr), TWRC_FAILURE);
    TW_UINT32 group = 0;
    EXPECT_EQ(Call(DG_CONTROL, DAT_XFERGROUP, MSG_GET, &group), TWRC_SUCCESS);
    EXPECT_EQ(Status(), TWCC_SUCCESS);

    EXPECT_EQ(Call(DG_CONTROL, DAT_PALETTE8, MSG_GET, nullptr), TWRC_FAILURE);
    TW_IMAGELAYOUT layout{};
    EXPECT_EQ(Call(DG_IMAGE, DAT_IMAGELAYOUT, MSG_GET, &layout), TWRC_SUCCESS);
    EXPECT_EQ(Status(), TWCC_SUCCESS);
}

TEST_F(Dispatch, NullDataIsRefusedNotFollowed) {
    struct Case {
        TW_UINT32 DG;
        TW_UINT16 DAT;
        TW_UINT16 MSG;
    } cases[] = {
        {DG_CONTROL, DAT_IDENTITY, MSG_GET},           {DG_CONTROL, DAT_STATUS, MSG_GET},
        {DG_CONTROL, DAT_XFERGROUP, MSG_GET},          {DG_CONTROL, DAT_PENDINGXFERS, MSG_GET},
        {DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS}, {DG_IMAGE, DAT_IMAGELAYOUT, MSG_GET},
        {DG_IMAGE, DAT_IMAGELAYOUT, MSG_SET},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "DAT " << c.DAT << " MSG " << c.MSG);
        EXPECT_EQ(Call(c.DG, c.DAT, c.MSG, nullptr), TWRC_FAILURE);
        if (c.DAT != DAT_STATUS) {
            EXPECT_EQ(Status(), TWCC_BADVALUE);
        }
    }
    EXPECT_EQ(ProbeState(), 400);
}

TEST_F(Dispatch, XferGroupSetsTheWholeWord) {
    TW_UINT32 group = 0xFFFFFFFF;
    ASSERT_EQ(Call(DG_CONTROL, DAT_XFERGROUP, MSG_GET, &group), TWRC_SUCCESS);
    EXPECT_EQ(group, (TW_UINT32)DG_IMAGE);
}
