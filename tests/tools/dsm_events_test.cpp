// Messages from a source to its application: queued and handed over through
// MSG_PROCESSEVENT, or delivered by a registered callback; sent from inside
// calls the manager forwards.
#include <string.h>

#include <functional>

#include "dsm_fixture.h"

namespace {

struct CallbackRecord {
    int calls = 0;
    TW_UINT32 originId = 0, destId = 0, dg = 0;
    TW_UINT16 dat = 0xFFFF, msg = 0;
    bool dataNull = false;
};
CallbackRecord gRecord;
// What the callback does besides recording, for the re-entrancy test.
std::function<void()> gCallbackAction;

TW_UINT16 TW_CALLINGSTYLE RecordCallback(pTW_IDENTITY origin, pTW_IDENTITY dest, TW_UINT32 dg, TW_UINT16 dat,
                                         TW_UINT16 msg, TW_MEMREF data) {
    gRecord.calls += 1;
    gRecord.originId = origin ? origin->Id : 0;
    gRecord.destId = dest ? dest->Id : 0;
    gRecord.dg = dg;
    gRecord.dat = dat;
    gRecord.msg = msg;
    gRecord.dataNull = data == nullptr;
    if (gCallbackAction) gCallbackAction();
    return TWRC_SUCCESS;
}

class DsmEventsTest : public DsmTest {
protected:
    void SetUp() override {
        DsmTest::SetUp();
        gRecord = CallbackRecord();
        gCallbackAction = nullptr;
        ASSERT_EQ(OpenManager(), TWRC_SUCCESS);
        ASSERT_EQ(OpenSource("Fake Alpha", &alpha_), TWRC_SUCCESS);
    }
    void Register() {
        TW_CALLBACK callback{};
        callback.CallBackProc = (TW_MEMREF)&RecordCallback;
        ASSERT_EQ(Call(&alpha_, DG_CONTROL, DAT_CALLBACK, MSG_REGISTER_CALLBACK, &callback), TWRC_SUCCESS);
    }
    TW_IDENTITY alpha_;
};

}  // namespace

TEST_F(DsmEventsTest, MessageSentDuringEnableArrivesThroughProcessEvent) {
    ASSERT_EQ(Enable(&alpha_), TWRC_SUCCESS);
    EXPECT_EQ(PumpEvents(&alpha_), std::vector<TW_UINT16>{MSG_XFERREADY});
    EXPECT_TRUE(PumpEvents(&alpha_).empty()) << "delivered once";
}

TEST_F(DsmEventsTest, OrdinaryMessagesStayTheApplicationsToDispatch) {
    ASSERT_EQ(Enable(&alpha_), TWRC_SUCCESS);
    MSG message{};
    message.hwnd = window_;
    message.message = WM_USER + 5;
    TW_EVENT event{};
    event.pEvent = &message;
    EXPECT_EQ(Call(&alpha_, DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event), TWRC_NOTDSEVENT);
    EXPECT_EQ(PumpEvents(&alpha_), std::vector<TW_UINT16>{MSG_XFERREADY}) << "still queued";
}

TEST_F(DsmEventsTest, MessageSentFromInsideProcessEventIsHandedOverAtOnce) {
    MSG message{};
    message.hwnd = window_;
    message.message = WM_USER + 77;  // the fake asks to close on this one
    TW_EVENT event{};
    event.pEvent = &message;
    EXPECT_EQ(Call(&alpha_, DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event), TWRC_DSEVENT);
    EXPECT_EQ(event.TWMessage, MSG_CLOSEDSREQ);
}

TEST_F(DsmEventsTest, MessagesOfAClosedSourceAreDropped) {
    ASSERT_EQ(Enable(&alpha_), TWRC_SUCCESS);
    ASSERT_EQ(CloseSource(&alpha_), TWRC_SUCCESS);
    TW_IDENTITY again;
    ASSERT_EQ(OpenSource("Fake Alpha", &again), TWRC_SUCCESS);
    EXPECT_TRUE(PumpEvents(&again).empty());
}

TEST_F(DsmEventsTest, RegisteredCallbackIsCalledInsteadOfQueueing) {
    ASSERT_NO_FATAL_FAILURE(Register());
    ASSERT_EQ(Enable(&alpha_), TWRC_SUCCESS);
    EXPECT_EQ(gRecord.calls, 1);
    EXPECT_EQ(gRecord.originId, alpha_.Id);
    EXPECT_EQ(gRecord.destId, app_.Id);
    EXPECT_EQ(gRecord.dg, (TW_UINT32)DG_CONTROL);
    EXPECT_EQ(gRecord.dat, DAT_NULL);
    EXPECT_EQ(gRecord.msg, MSG_XFERREADY);
    EXPECT_TRUE(gRecord.dataNull);
    EXPECT_TRUE(PumpEvents(&alpha_).empty()) << "nothing queued as well";
}

TEST_F(DsmEventsTest, CallbackMayCallTheManagerAgain) {
    ASSERT_NO_FATAL_FAILURE(Register());
    TW_IDENTITY beta{};
    TW_UINT32 group = 0;
    // Inside the forwarded MSG_ENABLEDS: open another source (the manager's
    // tables grow) and talk to the source that is still inside its call.
    bool done = false;
    gCallbackAction = [&] {
        if (done) return;
        done = true;
        EXPECT_EQ(OpenSource("Fake Beta", &beta), TWRC_SUCCESS);
        EXPECT_EQ(Call(&alpha_, DG_CONTROL, DAT_XFERGROUP, MSG_GET, &group), TWRC_SUCCESS);
    };
    EXPECT_EQ(Enable(&alpha_), TWRC_SUCCESS);
    EXPECT_EQ(group, (TW_UINT32)DG_IMAGE);
    EXPECT_NE(beta.Id, 0u);
    EXPECT_EQ(CloseSource(&beta), TWRC_SUCCESS);
    EXPECT_EQ(CloseSource(&alpha_), TWRC_SUCCESS);
}

TEST_F(DsmEventsTest, SourceClosedFromItsOwnCallbackIsUnloadedOnlyAfterItReturns) {
    ASSERT_NO_FATAL_FAILURE(Register());
    bool done = false;
    gCallbackAction = [&] {
        if (done) return;
        done = true;
        EXPECT_EQ(CloseSource(&alpha_), TWRC_SUCCESS);
        EXPECT_NE(GetModuleHandleA("fake_alpha.ds"), nullptr) << "its code is still running";
    };
    EXPECT_EQ(Enable(&alpha_), TWRC_SUCCESS);
    EXPECT_EQ(GetModuleHandleA("fake_alpha.ds"), nullptr);
}

TEST_F(DsmEventsTest, BadCallbackRegistrationIsRefused) {
    TW_CALLBACK callback{};
    EXPECT_EQ(Call(&alpha_, DG_CONTROL, DAT_CALLBACK, MSG_REGISTER_CALLBACK, &callback), TWRC_FAILURE);
    EXPECT_EQ(ManagerCondition(), TWCC_BADVALUE);
    ASSERT_EQ(Enable(&alpha_), TWRC_SUCCESS);
    EXPECT_EQ(PumpEvents(&alpha_), std::vector<TW_UINT16>{MSG_XFERREADY});
}
