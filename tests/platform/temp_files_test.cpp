// GetTempPathA and GetTempFileNameA.
#include "scratch_dir.h"
#include "win32.h"

#include <gtest/gtest.h>

#include <string.h>
#include <sys/stat.h>

#include <set>

namespace {

constexpr DWORD kErrorBufferOverflow = 111;

std::string temp_path(void) {
    char buffer[MAX_PATH];
    DWORD length = GetTempPathA(sizeof(buffer), buffer);
    return length && length < sizeof(buffer) ? std::string(buffer, length) : std::string();
}

}  // namespace

TEST(TempPath, UsesTmpdirWithATrailingSeparator) {
    ScratchDir scratch;
    ScopedEnv tmpdir("TMPDIR", scratch.dir().c_str());
    EXPECT_EQ(temp_path(), scratch.dir() + "/");
}

TEST(TempPath, FallsBackToTmpWhenTmpdirIsNoFolder) {
    ScopedEnv missing("TMPDIR", "/no/such/folder");
    EXPECT_EQ(temp_path(), "/tmp/");
    ScopedEnv unset("TMPDIR", nullptr);
    EXPECT_EQ(temp_path(), "/tmp/");
}

TEST(TempPath, TooSmallABufferGivesTheSizeNeededAndStaysUntouched) {
    ScopedEnv unset("TMPDIR", nullptr);
    char buffer[8];
    memset(buffer, 'z', sizeof(buffer));
    EXPECT_EQ(GetTempPathA(5, buffer), 6u);  // "/tmp/" and its NUL
    EXPECT_EQ(buffer[0], 'z');
    EXPECT_EQ(GetTempPathA(6, buffer), 5u);
    EXPECT_STREQ(buffer, "/tmp/");
}

TEST(TempFileName, GivenNumberOnlyComposesTheName) {
    ScratchDir scratch;
    char name[MAX_PATH];
    EXPECT_EQ(GetTempFileNameA(scratch.dir().c_str(), "QRXYZ", 0x5168, name), 0x5168u);
    EXPECT_EQ(std::string(name), scratch.dir() + "/QRX5168.TMP");
    EXPECT_FALSE(file_exists(name));

    std::string withSeparator = scratch.dir() + "/";
    EXPECT_EQ(GetTempFileNameA(withSeparator.c_str(), "ab", 0xbeef, name), 0xbeefu);
    EXPECT_EQ(std::string(name), scratch.dir() + "/abBEEF.TMP");

    EXPECT_EQ(GetTempFileNameA(withSeparator.c_str(), "QRX", 0x1000A, name), 0x1000Au);  // low 16 bits
    EXPECT_EQ(std::string(name), scratch.dir() + "/QRX000A.TMP");
}

TEST(TempFileName, ZeroCreatesAUniquePrivateFile) {
    ScratchDir scratch;
    std::set<std::string> names;
    for (int i = 0; i < 200; i++) {
        char name[MAX_PATH];
        UINT unique = GetTempFileNameA(scratch.dir().c_str(), "QRX", 0, name);
        ASSERT_NE(unique, 0u);
        char expected[32];
        snprintf(expected, sizeof(expected), "/QRX%04X.TMP", unique);
        EXPECT_EQ(std::string(name), scratch.dir() + expected);
        struct stat st;
        ASSERT_EQ(stat(name, &st), 0);
        EXPECT_EQ(st.st_size, 0);
        EXPECT_EQ(st.st_mode & 0777, 0600u);
        EXPECT_TRUE(names.insert(name).second) << name;
    }
}

TEST(TempFileName, ZeroSkipsNamesThatAreTaken) {
    // 65534 files: in memory when the machine offers it, to keep this quick.
    struct stat shm;
    ScratchDir scratch(stat("/dev/shm", &shm) == 0 && S_ISDIR(shm.st_mode) ? "/dev/shm" : "/tmp");
    ASSERT_FALSE(scratch.dir().empty());
    // Take every name but one: the call must find the free one.
    char name[MAX_PATH];
    for (UINT unique = 1; unique <= 0xFFFF; unique++) {
        if (unique == 0x1234) continue;
        GetTempFileNameA(scratch.dir().c_str(), "T", unique, name);
        ASSERT_TRUE(write_text_file(name, ""));
    }
    EXPECT_EQ(GetTempFileNameA(scratch.dir().c_str(), "T", 0, name), 0x1234u);
    EXPECT_EQ(std::string(name), scratch.dir() + "/T1234.TMP");
    ASSERT_TRUE(file_exists(name));
    SetLastError(0);
    EXPECT_EQ(GetTempFileNameA(scratch.dir().c_str(), "T", 0, name), 0u);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_EXISTS));
}

TEST(TempFileName, ZeroInAMissingFolderFails) {
    char name[MAX_PATH];
    EXPECT_EQ(GetTempFileNameA("/no/such/folder", "QRX", 0, name), 0u);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_PATH_NOT_FOUND));
}

TEST(TempFileName, AFolderTooLongForMaxPathIsRefused) {
    std::string longFolder(MAX_PATH - 10, 'x');
    char name[MAX_PATH];
    EXPECT_EQ(GetTempFileNameA(longFolder.c_str(), "QRX", 1, name), 0u);
    EXPECT_EQ(GetLastError(), kErrorBufferOverflow);
}
