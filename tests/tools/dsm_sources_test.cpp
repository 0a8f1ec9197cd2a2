// The manager's own triplets: opening it, finding sources, opening and
// closing them, and forwarding everything else.
#include <string.h>

#include "dsm_fixture.h"

TEST_F(DsmTest, OpenGivesTheApplicationAnIdOnce) {
    ASSERT_EQ(OpenManager(), TWRC_SUCCESS);
    EXPECT_NE(app_.Id, 0u);
    EXPECT_EQ(OpenManager(), TWRC_FAILURE);
    EXPECT_EQ(ManagerCondition(), TWCC_SEQERROR);
    EXPECT_EQ(Call(nullptr, DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, &window_), TWRC_SUCCESS);
    EXPECT_EQ(Call(nullptr, DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, &window_), TWRC_FAILURE);
}

TEST_F(DsmTest, ListsEveryLoadableSourceInNameOrder) {
    ASSERT_EQ(OpenManager(), TWRC_SUCCESS);
    TW_IDENTITY id{};
    ASSERT_EQ(Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETFIRST, &id), TWRC_SUCCESS);
    EXPECT_STREQ(id.ProductName, "Fake Alpha");
    EXPECT_STREQ(id.Manufacturer, "Test Works");
    EXPECT_EQ(id.Version.MajorNum, 2);
    ASSERT_EQ(Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETNEXT, &id), TWRC_SUCCESS);
    EXPECT_STREQ(id.ProductName, "Fake Beta");
    EXPECT_EQ(Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETNEXT, &id), TWRC_ENDOFLIST)
        << "notes.ds is no library and is skipped";
    ASSERT_EQ(Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETDEFAULT, &id), TWRC_SUCCESS);
    EXPECT_STREQ(id.ProductName, "Fake Alpha");
    EXPECT_EQ(GetModuleHandleA("fake_alpha.ds"), nullptr) << "listing leaves no source loaded";
}

TEST_F(DsmTest, EmptyFolderHasNoSources) {
    std::string empty = folder_ + "/empty";
    ASSERT_TRUE(CreateDirectoryA(empty.c_str(), nullptr));
    setenv("QR_TWAIN_SOURCES", empty.c_str(), 1);
    ASSERT_EQ(OpenManager(), TWRC_SUCCESS);
    TW_IDENTITY id{};
    EXPECT_EQ(Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETFIRST, &id), TWRC_FAILURE);
    EXPECT_EQ(ManagerCondition(), TWCC_NODS);
}

TEST_F(DsmTest, OpenAssignsUniqueIdsThatTheSourceKeeps) {
    ASSERT_EQ(OpenManager(), TWRC_SUCCESS);
    TW_IDENTITY alpha, beta;
    ASSERT_EQ(OpenSource("", &alpha), TWRC_SUCCESS);
    EXPECT_STREQ(alpha.ProductName, "Fake Alpha") << "an empty name opens the default";
    ASSERT_EQ(OpenSource("Fake Beta", &beta), TWRC_SUCCESS);
    EXPECT_NE(alpha.Id, 0u);
    EXPECT_NE(beta.Id, 0u);
    EXPECT_NE(alpha.Id, beta.Id);
    EXPECT_NE(alpha.Id, app_.Id);
    EXPECT_EQ(SourceExport<TW_UINT32 (*)(void)>("fake_alpha.ds", "FakeDS_SelfId")(), alpha.Id);
    EXPECT_EQ(SourceExport<TW_UINT32 (*)(void)>("fake_beta.ds", "FakeDS_SelfId")(), beta.Id);

    TW_IDENTITY missing;
    EXPECT_EQ(OpenSource("Fake Gamma", &missing), TWRC_FAILURE);
    EXPECT_EQ(ManagerCondition(), TWCC_NODS);
    EXPECT_EQ(Call(nullptr, DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, &window_), TWRC_FAILURE) << "sources are still open";
    EXPECT_EQ(ManagerCondition(), TWCC_SEQERROR);
    EXPECT_EQ(CloseSource(&alpha), TWRC_SUCCESS);
    EXPECT_EQ(CloseSource(&beta), TWRC_SUCCESS);
    EXPECT_EQ(Call(nullptr, DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, &window_), TWRC_SUCCESS);
}

TEST_F(DsmTest, RefusedOpenUnloadsTheSourceAndKeepsItsReason) {
    ASSERT_EQ(OpenManager(), TWRC_SUCCESS);
    setenv("FAKE_DS_REFUSE_OPEN", "1", 1);
    TW_IDENTITY source;
    EXPECT_EQ(OpenSource("Fake Alpha", &source), TWRC_FAILURE);
    EXPECT_EQ(ManagerCondition(), TWCC_OPERATIONERROR);
    EXPECT_EQ(GetModuleHandleA("fake_alpha.ds"), nullptr);
}

TEST_F(DsmTest, ForwardsToTheRightSourceAndUnloadsItAtClose) {
    ASSERT_EQ(OpenManager(), TWRC_SUCCESS);
    TW_IDENTITY alpha;
    ASSERT_EQ(OpenSource("Fake Alpha", &alpha), TWRC_SUCCESS);
    TW_UINT32 group = 0;
    EXPECT_EQ(Call(&alpha, DG_CONTROL, DAT_XFERGROUP, MSG_GET, &group), TWRC_SUCCESS);
    EXPECT_EQ(group, (TW_UINT32)DG_IMAGE);
    EXPECT_EQ(SourceExport<TW_UINT32 (*)(void)>("fake_alpha.ds", "FakeDS_LastOriginId")(), app_.Id);

    TW_IDENTITY stranger = alpha;
    stranger.Id = alpha.Id + 100;
    EXPECT_EQ(Call(&stranger, DG_CONTROL, DAT_XFERGROUP, MSG_GET, &group), TWRC_FAILURE);
    EXPECT_EQ(ManagerCondition(), TWCC_BADDEST);

    ASSERT_EQ(CloseSource(&alpha), TWRC_SUCCESS);
    EXPECT_EQ(GetModuleHandleA("fake_alpha.ds"), nullptr);
    EXPECT_EQ(Call(&alpha, DG_CONTROL, DAT_XFERGROUP, MSG_GET, &group), TWRC_FAILURE) << "closed";
    EXPECT_EQ(CloseSource(&alpha), TWRC_FAILURE);
}

TEST_F(DsmTest, CallsBeforeOpeningTheManagerFail) {
    TW_IDENTITY id{};
    EXPECT_EQ(Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETFIRST, &id), TWRC_FAILURE);
    EXPECT_EQ(ManagerCondition(), TWCC_SEQERROR);
    EXPECT_EQ(entry_(nullptr, nullptr, DG_CONTROL, DAT_PARENT, MSG_OPENDSM, &window_), TWRC_FAILURE);
}

// As the Working Group's manager on Linux: a TWAIN 2 application gets its
// entry point and memory (plain pointers), a DF_DS2 source is given them
// before it opens and sends through them, and one that refuses stays shut.
TEST_F(DsmTest, Twain2ApplicationsAndSourcesGetTheEntryPoint) {
    app_.SupportedGroups |= DF_APP2;
    ASSERT_EQ(OpenManager(), TWRC_SUCCESS);
    EXPECT_NE(app_.SupportedGroups & DF_DSM2, 0u);
    TW_ENTRYPOINT mine{};
    mine.Size = sizeof mine;
    ASSERT_EQ(Call(nullptr, DG_CONTROL, DAT_ENTRYPOINT, MSG_GET, &mine), TWRC_SUCCESS);
    TW_HANDLE block = mine.DSM_MemAllocate(16);
    EXPECT_EQ(mine.DSM_MemLock(block), block);
    EXPECT_EQ(static_cast<TW_UINT8 *>(block)[15], 0);
    mine.DSM_MemFree(block);

    setenv("FAKE_DS_TWAIN2", "refuse", 1);
    TW_IDENTITY source;
    EXPECT_EQ(OpenSource("Fake Alpha", &source), TWRC_FAILURE);
    setenv("FAKE_DS_TWAIN2", "1", 1);
    ASSERT_EQ(OpenSource("Fake Alpha", &source), TWRC_SUCCESS);
    const TW_ENTRYPOINT *given = SourceExport<const TW_ENTRYPOINT *(*)(void)>("fake_alpha.ds", "FakeDS_EntryPoint")();
    DSMENTRYPROC givenEntry = given->DSM_Entry;  // packed fields, read by value
    DSM_MEMFREE givenFree = given->DSM_MemFree, myFree = mine.DSM_MemFree;
    EXPECT_EQ(givenEntry, entry_);
    EXPECT_EQ(givenFree, myFree);
    EXPECT_EQ(Enable(&source), TWRC_SUCCESS);
    EXPECT_EQ(PumpEvents(&source), std::vector<TW_UINT16>{MSG_XFERREADY});
    unsetenv("FAKE_DS_TWAIN2");
}
