// MessageBox: never blocks, always reaches the hook.
#include "support.h"

#include <string>

namespace {

class MessageBoxes : public UserTest {};

struct Seen {
    std::string text;
    std::string caption;
    UINT type = 0;
    int calls = 0;
};

int Answer(void *context, const char *text, const char *caption, UINT type) {
    Seen *seen = static_cast<Seen *>(context);
    seen->text = text;
    seen->caption = caption;
    seen->type = type;
    ++seen->calls;
    return IDCANCEL;
}

}  // namespace

TEST_F(MessageBoxes, TheHookSeesTheBoxAndGivesTheAnswer) {
    Seen seen;
    WinLayer_SetMessageBoxHook(Answer, &seen);
    EXPECT_EQ(MessageBoxA(nullptr, "Error!\nTimer NULL", "QRVM", MB_OKCANCEL), IDCANCEL);
    EXPECT_EQ(seen.calls, 1);
    EXPECT_EQ(seen.text, "Error!\nTimer NULL");
    EXPECT_EQ(seen.caption, "QRVM");
    EXPECT_EQ(seen.type, static_cast<UINT>(MB_OKCANCEL));
    EXPECT_EQ(MessageBoxA(nullptr, nullptr, nullptr, MB_OK), IDCANCEL);
    EXPECT_EQ(seen.caption, "Error");
    EXPECT_EQ(seen.text, "");
}

TEST_F(MessageBoxes, WithoutAHookTheDefaultButtonAnswers) {
    EXPECT_EQ(MessageBoxA(nullptr, "t", "c", MB_OK), IDOK);
    EXPECT_EQ(MessageBoxA(nullptr, "t", "c", MB_OKCANCEL), IDOK);
    EXPECT_EQ(MessageBoxA(nullptr, "t", "c", MB_YESNO), IDYES);
    EXPECT_EQ(MessageBoxA(nullptr, "t", "c", MB_YESNO | 0x100), IDNO);  // MB_DEFBUTTON2
}

TEST_F(MessageBoxes, TheCopyOnStderrCanBeSilenced) {
    WinLayer_SetMessageBoxQuiet(FALSE);
    ::testing::internal::CaptureStderr();
    MessageBoxA(nullptr, "shown", "Caption", MB_OK);
    WinLayer_SetMessageBoxQuiet(TRUE);
    MessageBoxA(nullptr, "hidden", "Caption", MB_OK);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Caption: shown\n");
}
