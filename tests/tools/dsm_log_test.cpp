// The trace that QR_DSM_LOG turns on.
#include <fstream>
#include <sstream>

#include "dsm_fixture.h"

namespace {

std::string ReadAll(const std::string &path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class DsmLogTest : public DsmTest {
protected:
    void SetUp() override {
        DsmTest::SetUp();
        log_ = folder_ + "/dsm.log";
        setenv("QR_DSM_LOG", log_.c_str(), 1);
    }
    std::string log_;
};

}  // namespace

TEST_F(DsmLogTest, EveryTripletIsNamedWithItsResult) {
    ASSERT_EQ(OpenManager(), TWRC_SUCCESS);
    TW_IDENTITY alpha;
    ASSERT_EQ(OpenSource("Fake Alpha", &alpha), TWRC_SUCCESS);
    ASSERT_EQ(Enable(&alpha), TWRC_SUCCESS);
    std::string text = ReadAll(log_);
    std::string app = std::to_string(app_.Id), ds = std::to_string(alpha.Id);
    EXPECT_NE(text.find("[app " + app + " -> DSM] DG_CONTROL DAT_PARENT MSG_OPENDSM -> TWRC_SUCCESS"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("[app " + app + " -> DSM] DG_CONTROL DAT_IDENTITY MSG_OPENDS -> TWRC_SUCCESS"),
              std::string::npos);
    // The source's message, sent inside the enable, is logged indented and
    // before the enable it happened in.
    size_t inner = text.find("  [ds " + ds + " -> app " + app +
                             "] DG_CONTROL DAT_NULL MSG_XFERREADY -> "
                             "TWRC_SUCCESS (queued)");
    size_t outer = text.find("[app " + app + " -> ds " + ds +
                             "] DG_CONTROL DAT_USERINTERFACE MSG_ENABLEDS -> "
                             "TWRC_SUCCESS");
    ASSERT_NE(inner, std::string::npos) << text;
    ASSERT_NE(outer, std::string::npos) << text;
    EXPECT_LT(inner, outer);
}

TEST_F(DsmLogTest, FailureShowsTheConditionAndTheApplicationStillReadsIt) {
    ASSERT_EQ(OpenManager(), TWRC_SUCCESS);
    TW_IDENTITY alpha;
    ASSERT_EQ(OpenSource("Fake Alpha", &alpha), TWRC_SUCCESS);
    TW_UINT32 group = 0;
    ASSERT_EQ(Call(&alpha, DG_CONTROL, DAT_XFERGROUP, MSG_SET, &group), TWRC_FAILURE);
    std::string text = ReadAll(log_);
    EXPECT_NE(text.find("DG_CONTROL DAT_XFERGROUP MSG_SET -> TWRC_FAILURE (TWCC_BADVALUE)"), std::string::npos) << text;
    EXPECT_EQ(text.find("DAT_STATUS"), std::string::npos) << "the manager's own status query is not traced";

    TW_STATUS status{};
    ASSERT_EQ(Call(&alpha, DG_CONTROL, DAT_STATUS, MSG_GET, &status), TWRC_SUCCESS);
    EXPECT_EQ(status.ConditionCode, TWCC_BADVALUE) << "logging must not eat the application's condition code";
    ASSERT_EQ(Call(&alpha, DG_CONTROL, DAT_STATUS, MSG_GET, &status), TWRC_SUCCESS);
    EXPECT_EQ(status.ConditionCode, TWCC_SUCCESS);

    ASSERT_EQ(Call(&alpha, DG_CONTROL, DAT_XFERGROUP, MSG_SET, &group), TWRC_FAILURE);
    ASSERT_EQ(Call(&alpha, DG_CONTROL, DAT_XFERGROUP, MSG_GET, &group), TWRC_SUCCESS);
    ASSERT_EQ(Call(&alpha, DG_CONTROL, DAT_STATUS, MSG_GET, &status), TWRC_SUCCESS);
    EXPECT_EQ(status.ConditionCode, TWCC_SUCCESS) << "a later triplet replaces the kept code";
}

TEST_F(DsmLogTest, ManagerFailuresShowItsOwnCondition) {
    TW_IDENTITY id{};
    EXPECT_EQ(Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETFIRST, &id), TWRC_FAILURE);
    EXPECT_NE(ReadAll(log_).find("DAT_IDENTITY MSG_GETFIRST -> TWRC_FAILURE (TWCC_SEQERROR)"), std::string::npos)
        << ReadAll(log_);
}
