// A TWAIN 2 Source Manager's entry point (DAT_ENTRYPOINT): taken before the
// source opens, used for the source's messages, and its memory functions
// used for every handle that crosses to the application. Without one, on
// Linux, those handles are plain malloc pointers.
#include "xfer_fixture.h"

#include <set>
#include <stdlib.h>

namespace {

// A manager of the test's own: what it was sent, what it allocated.
int gMessages;
TW_UINT16 gLastMessage;
std::set<TW_HANDLE> gAllocated;

TW_UINT16 TW_CALLINGSTYLE RecordMessage(pTW_IDENTITY, pTW_IDENTITY, TW_UINT32, TW_UINT16, TW_UINT16 msg, TW_MEMREF) {
    ++gMessages;
    gLastMessage = msg;
    return TWRC_SUCCESS;
}
TW_HANDLE TW_CALLINGSTYLE Allocate(TW_UINT32 size) {
    TW_HANDLE handle = calloc(size, 1);
    gAllocated.insert(handle);
    return handle;
}
void TW_CALLINGSTYLE Free(TW_HANDLE handle) {
    gAllocated.erase(handle);
    free(handle);
}
TW_MEMREF TW_CALLINGSTYLE LockIt(TW_HANDLE handle) { return handle; }

}  // namespace

class EntryPoint : public TransferTest {
protected:
    void SetUp() override {
        TransferTest::SetUp();
        gMessages = 0;
        gAllocated.clear();
        ScriptDirect(8, 4, 24);
        // The tests play the manager themselves.
        twain2Manager_ = false;
        LoadSource();
    }
    TW_UINT16 SendOurs(TW_UINT32 size = sizeof(TW_ENTRYPOINT)) {
        TW_ENTRYPOINT entryPoint{size, RecordMessage, Allocate, Free, LockIt, nullptr};
        return Call(DG_CONTROL, DAT_ENTRYPOINT, MSG_SET, &entryPoint);
    }
    // An answer the source made for the application: plain memory.
    TW_HANDLE AskPixelType() {
        TW_CAPABILITY cap{ICAP_PIXELTYPE, TWON_DONTCARE16, nullptr};
        EXPECT_EQ(Call(DG_CONTROL, DAT_CAPABILITY, MSG_GET, &cap), TWRC_SUCCESS);
        EXPECT_EQ(GlobalFlags(cap.hContainer), (UINT)GMEM_INVALID_HANDLE) << "global memory, not a pointer";
        EXPECT_EQ(*static_cast<TW_UINT16 *>(cap.hContainer), TWTY_UINT16);
        return cap.hContainer;
    }
};

TEST_F(EntryPoint, TakenOnlyBeforeOpeningAndOnlyWhole) {
    TW_ENTRYPOINT got{};
    EXPECT_EQ(Call(DG_CONTROL, DAT_ENTRYPOINT, MSG_GET, &got), TWRC_FAILURE);
    EXPECT_EQ(SendOurs(sizeof(TW_ENTRYPOINT) - 1), TWRC_FAILURE);
    TW_ENTRYPOINT noEntry{sizeof(TW_ENTRYPOINT), nullptr, Allocate, Free, LockIt, nullptr};
    EXPECT_EQ(Call(DG_CONTROL, DAT_ENTRYPOINT, MSG_SET, &noEntry), TWRC_FAILURE);
    Open();
    EXPECT_EQ(SendOurs(), TWRC_FAILURE);
    EXPECT_EQ(Status(), TWCC_SEQERROR);
}

// The messages take the manager's entry point; without one, TWAIN_32.DLL's.
TEST_F(EntryPoint, MessagesGoWhereTheManagerSays) {
    ReachXferReady();
    EXPECT_EQ(dsm->calls, 1);
    EXPECT_EQ(gMessages, 0);

    UnloadSource();
    LoadSource();
    ASSERT_EQ(SendOurs(), TWRC_SUCCESS);
    ReachXferReady();
    readytoCloseSM_();
    EXPECT_EQ(gMessages, 2);
    EXPECT_EQ(gLastMessage, MSG_CLOSEDSREQ);
    EXPECT_EQ(dsm->calls, 0);
}

TEST_F(EntryPoint, ContainersAndBitmapsAreTheManagersMemory) {
    ASSERT_EQ(SendOurs(), TWRC_SUCCESS);
    ReachXferReady();
    TW_HANDLE container = AskPixelType();
    EXPECT_EQ(gAllocated.count(container), 1u);
    Free(container);
    TW_HANDLE dib = nullptr;
    ASSERT_EQ(Call(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &dib), TWRC_XFERDONE);
    EXPECT_EQ(gAllocated.count(dib), 1u);
    EXPECT_EQ(static_cast<BITMAPINFOHEADER *>(dib)->biSize, 40u);
    Free(dib);
    EXPECT_TRUE(gAllocated.empty());
}

// A TWAIN 1.x manager gives no memory functions: on Linux the handles are
// then malloc's, which the application frees with free().
TEST_F(EntryPoint, WithoutTheManagersMemoryHandlesAreMallocPointers) {
    ReachXferReady();
    free(AskPixelType());
    TW_HANDLE dib = nullptr;
    ASSERT_EQ(Call(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &dib), TWRC_XFERDONE);
    EXPECT_EQ(static_cast<BITMAPINFOHEADER *>(dib)->biSize, 40u);
    free(dib);
}

// The application's own plain pointers are read; a handle that is no address
// is refused, not read.
TEST_F(EntryPoint, ApplicationsPointersAreReadAndNonAddressesRefused) {
    ASSERT_EQ(SendOurs(), TWRC_SUCCESS);
    Open();
    TW_ONEVALUE *grey = static_cast<TW_ONEVALUE *>(Allocate(sizeof(TW_ONEVALUE)));
    *grey = {TWTY_UINT16, TWPT_GRAY};
    TW_CAPABILITY set{ICAP_PIXELTYPE, TWON_ONEVALUE, grey};
    EXPECT_EQ(Call(DG_CONTROL, DAT_CAPABILITY, MSG_SET, &set), TWRC_SUCCESS);
    Free(grey);
    TW_HANDLE container = AskPixelType();
    EXPECT_EQ(static_cast<TW_UINT8 *>(container)[6], 1u) << "current index: grey";
    Free(container);
    for (uintptr_t bogus : {(uintptr_t)0x1234, (uintptr_t)0x5152000000000007ull}) {
        set.hContainer = reinterpret_cast<TW_HANDLE>(bogus);
        EXPECT_EQ(Call(DG_CONTROL, DAT_CAPABILITY, MSG_SET, &set), TWRC_FAILURE);
        EXPECT_EQ(Status(), TWCC_BADVALUE);
    }
}
