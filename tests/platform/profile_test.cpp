// Settings files: reading, writing and listing.
#include "scratch_dir.h"
#include "win32.h"

#include <gtest/gtest.h>

#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class Profile : public ::testing::Test {
protected:
    void SetUp() override { file_ = scratch_.path("QRVM.INI"); }

    std::string get(const char *section, const char *key, const char *defaultValue = "(default)", DWORD size = 256) {
        char buffer[256];
        DWORD length = GetPrivateProfileStringA(section, key, defaultValue, buffer, size, file_.c_str());
        lastLength_ = length;
        return std::string(buffer, length);
    }

    UINT get_int(const char *section, const char *key, int defaultValue = -7) {
        return GetPrivateProfileIntA(section, key, defaultValue, file_.c_str());
    }

    ScratchDir scratch_;
    std::string file_;
    DWORD lastLength_ = 0;
};

const char kSample[] =
    "; settings of the data source\n"
    "[Scanner]\n"
    "ScanDll = qvsmod.dll  \n"
    "  Resolution=300\n"
    "# a comment with key=value inside\n"
    "Note=left ; right\n"
    "Quoted=\"  spaced  \"\n"
    "Empty=\n"
    "Resolution=600\n"
    "\n"
    "[ Other ]\n"
    "ScanDll=other.dll\n";

}  // namespace

TEST_F(Profile, SectionsAndKeysIgnoreCaseAndSpaces) {
    ASSERT_TRUE(write_text_file(file_, kSample));
    EXPECT_EQ(get("Scanner", "ScanDll"), "qvsmod.dll");
    EXPECT_EQ(lastLength_, 10u);
    EXPECT_EQ(get("SCANNER", "scandll"), "qvsmod.dll");
    EXPECT_EQ(get("other", "SCANDLL"), "other.dll");
    EXPECT_EQ(get("Scanner", "Resolution"), "300");  // the first one wins
}

TEST_F(Profile, CommentsAreSkippedAndValuesKeptWhole) {
    ASSERT_TRUE(write_text_file(file_, kSample));
    EXPECT_EQ(get("Scanner", "# a comment with key"), "(default)");
    EXPECT_EQ(get("Scanner", "Note"), "left ; right");
    EXPECT_EQ(get("Scanner", "Quoted"), "  spaced  ");
    EXPECT_EQ(get("Scanner", "Empty"), "");
}

TEST_F(Profile, MissingFileSectionOrKeyGivesTheDefault) {
    EXPECT_EQ(get("Scanner", "ScanDll", "qvsmod.dll"), "qvsmod.dll");
    ASSERT_TRUE(write_text_file(file_, kSample));
    EXPECT_EQ(get("Nowhere", "ScanDll", "x"), "x");
    EXPECT_EQ(get("Scanner", "Nothing", "y  "), "y");  // trailing spaces of the default go
    EXPECT_EQ(get("Scanner", "Nothing", nullptr), "");
}

TEST_F(Profile, ValuesAreCutToTheBuffer) {
    ASSERT_TRUE(write_text_file(file_, kSample));
    char buffer[16];
    memset(buffer, 'z', sizeof(buffer));
    EXPECT_EQ(GetPrivateProfileStringA("Scanner", "ScanDll", "", buffer, 5, file_.c_str()), 4u);
    EXPECT_STREQ(buffer, "qvsm");
    EXPECT_EQ(buffer[5], 'z');
    EXPECT_EQ(GetPrivateProfileStringA("Scanner", "Nothing", "long default", buffer, 5, file_.c_str()), 4u);
    EXPECT_STREQ(buffer, "long");
    EXPECT_EQ(GetPrivateProfileStringA("Scanner", "ScanDll", "", buffer, 0, file_.c_str()), 0u);
}

TEST_F(Profile, WindowsLineEndingsAndAByteOrderMarkAreRead) {
    ASSERT_TRUE(write_text_file(file_, "\xEF\xBB\xBF[Scanner]\r\nScanDll=crlf.dll\r\n"));
    EXPECT_EQ(get("Scanner", "ScanDll"), "crlf.dll");
}

TEST_F(Profile, IntegersAreReadAsWin32ReadsThem) {
    ASSERT_TRUE(write_text_file(file_,
                                "[N]\nplain=300\nhex=0x1F\nnegative=-2\nword=abc\n"
                                "suffix=12px\nempty=\nspaced = 42 \n"));
    EXPECT_EQ(get_int("N", "plain"), 300u);
    EXPECT_EQ(get_int("n", "HEX"), 31u);
    EXPECT_EQ(get_int("N", "negative"), static_cast<UINT>(-2));
    EXPECT_EQ(get_int("N", "word"), 0u);
    EXPECT_EQ(get_int("N", "suffix"), 12u);
    EXPECT_EQ(get_int("N", "empty"), static_cast<UINT>(-7));
    EXPECT_EQ(get_int("N", "missing"), static_cast<UINT>(-7));
    EXPECT_EQ(get_int("N", "spaced"), 42u);
}

TEST_F(Profile, NullSectionListsSectionsAndNullKeyListsKeys) {
    ASSERT_TRUE(write_text_file(file_, "[One]\na=1\nB=2\n[Two]\n[one]\nc=3\n"));
    char buffer[64];
    DWORD length = GetPrivateProfileStringA(nullptr, nullptr, "", buffer, sizeof(buffer), file_.c_str());
    EXPECT_EQ(std::string(buffer, length + 1), std::string("One\0Two\0\0", 9));
    length = GetPrivateProfileStringA("ONE", nullptr, "", buffer, sizeof(buffer), file_.c_str());
    EXPECT_EQ(std::string(buffer, length + 1), std::string("a\0B\0\0", 5));

    // Cut short: the list ends in two NULs and the result is size - 2.
    length = GetPrivateProfileStringA(nullptr, nullptr, "", buffer, 7, file_.c_str());
    EXPECT_EQ(length, 5u);
    EXPECT_EQ(std::string(buffer, 7), std::string("One\0T\0\0", 7));
}

TEST_F(Profile, WriteCreatesTheFileSectionAndKey) {
    ASSERT_TRUE(WritePrivateProfileStringA("Scanner", "ScanDll", "qvsmod.dll", file_.c_str()));
    EXPECT_EQ(read_text_file(file_), "[Scanner]\nScanDll=qvsmod.dll\n");
    ASSERT_TRUE(WritePrivateProfileStringA("Other", "Key", "v", file_.c_str()));
    EXPECT_EQ(read_text_file(file_), "[Scanner]\nScanDll=qvsmod.dll\n\n[Other]\nKey=v\n");
    EXPECT_EQ(get("other", "key"), "v");
}

TEST_F(Profile, WriteReplacesOneLineAndKeepsEveryOther) {
    ASSERT_TRUE(write_text_file(file_, kSample));
    ASSERT_TRUE(WritePrivateProfileStringA("scanner", "SCANDLL", "new.dll", file_.c_str()));
    std::string expected = kSample;
    expected.replace(expected.find("ScanDll = qvsmod.dll  "), strlen("ScanDll = qvsmod.dll  "), "SCANDLL=new.dll");
    EXPECT_EQ(read_text_file(file_), expected);
    EXPECT_EQ(get("Scanner", "ScanDll"), "new.dll");
}

TEST_F(Profile, WriteAddsANewKeyAtTheEndOfItsSection) {
    ASSERT_TRUE(write_text_file(file_, "[A]\nx=1\n\n[B]\ny=2\n"));
    ASSERT_TRUE(WritePrivateProfileStringA("A", "z", "3", file_.c_str()));
    EXPECT_EQ(read_text_file(file_), "[A]\nx=1\nz=3\n\n[B]\ny=2\n");
}

TEST_F(Profile, WriteDeletesAKeyOrASection) {
    ASSERT_TRUE(write_text_file(file_, "[A]\nx=1\ny=2\n[B]\nz=3\n"));
    ASSERT_TRUE(WritePrivateProfileStringA("A", "x", nullptr, file_.c_str()));
    EXPECT_EQ(read_text_file(file_), "[A]\ny=2\n[B]\nz=3\n");
    ASSERT_TRUE(WritePrivateProfileStringA("a", nullptr, nullptr, file_.c_str()));
    EXPECT_EQ(read_text_file(file_), "[B]\nz=3\n");
    ASSERT_TRUE(WritePrivateProfileStringA("Missing", "k", nullptr, file_.c_str()));
    EXPECT_EQ(read_text_file(file_), "[B]\nz=3\n");
}

TEST_F(Profile, WriteKeepsWindowsLineEndings) {
    ASSERT_TRUE(write_text_file(file_, "[A]\r\nx=1\r\n"));
    ASSERT_TRUE(WritePrivateProfileStringA("A", "y", "2", file_.c_str()));
    EXPECT_EQ(read_text_file(file_), "[A]\r\nx=1\r\ny=2\r\n");
}

TEST_F(Profile, WriteKeepsTheFileModeAndFollowsALink) {
    ASSERT_TRUE(write_text_file(file_, "[A]\nx=1\n"));
    ASSERT_EQ(chmod(file_.c_str(), 0640), 0);
    std::string link = scratch_.path("link.ini");
    ASSERT_EQ(symlink(file_.c_str(), link.c_str()), 0);
    ASSERT_TRUE(WritePrivateProfileStringA("A", "x", "2", link.c_str()));
    struct stat st;
    ASSERT_EQ(lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(stat(file_.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(read_text_file(file_), "[A]\nx=2\n");
}

TEST_F(Profile, AFileNameWithoutAFolderLivesInTheWindowsDirectory) {
    ScopedEnv windir("WINDIR", scratch_.dir().c_str());
    ASSERT_TRUE(WritePrivateProfileStringA("S", "k", "v", "settings.ini"));
    EXPECT_EQ(read_text_file(scratch_.path("settings.ini")), "[S]\nk=v\n");
    char buffer[8];
    EXPECT_EQ(GetPrivateProfileStringA("S", "k", "", buffer, sizeof(buffer), "settings.ini"), 1u);
    EXPECT_STREQ(buffer, "v");
}
