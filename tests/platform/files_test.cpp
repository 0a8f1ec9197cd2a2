// Files: the _l calls, OpenFile, CreateFileA and the folder calls.
#include "scratch_dir.h"
#include "win32.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr DWORD kErrorNegativeSeek = 131;
constexpr DWORD kErrorDirNotEmpty = 145;
constexpr DWORD kReadOnlyAttribute = 0x1;

class Files : public ::testing::Test {
protected:
    std::string path(const char *name) { return scratch_.path(name); }

    HANDLE create(const std::string &file, DWORD disposition, DWORD access = GENERIC_READ | GENERIC_WRITE) {
        return CreateFileA(file.c_str(), access, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    }

    static HFILE as_hfile(HANDLE handle) { return static_cast<HFILE>(reinterpret_cast<INT_PTR>(handle)); }

    ScratchDir scratch_;
};

}  // namespace

TEST_F(Files, LcreatCreatesAndTruncates) {
    ASSERT_TRUE(write_text_file(path("a.txt"), "old contents"));
    HFILE file = _lcreat(path("a.txt").c_str(), 0);
    ASSERT_NE(file, HFILE_ERROR);
    EXPECT_EQ(_lwrite(file, "new", 3), 3u);
    EXPECT_EQ(_llseek(file, 0, FILE_BEGIN), 0);
    char buffer[8] = {};
    EXPECT_EQ(_lread(file, buffer, sizeof(buffer)), 3u);  // _lcreat opens for reading too
    EXPECT_EQ(_lclose(file), 0);
    EXPECT_EQ(read_text_file(path("a.txt")), "new");
}

TEST_F(Files, LopenHonoursTheAccessMode) {
    ASSERT_TRUE(write_text_file(path("b.txt"), "data"));
    HFILE reader = _lopen(path("b.txt").c_str(), OF_READ);
    ASSERT_NE(reader, HFILE_ERROR);
    EXPECT_EQ(_lwrite(reader, "x", 1), UINT(HFILE_ERROR));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
    _lclose(reader);

    HFILE writer = _lopen(path("b.txt").c_str(), OF_WRITE);
    ASSERT_NE(writer, HFILE_ERROR);
    char c;
    EXPECT_EQ(_lread(writer, &c, 1), UINT(HFILE_ERROR));
    EXPECT_EQ(_lwrite(writer, "D", 1), 1u);  // no truncation on open
    _lclose(writer);
    EXPECT_EQ(read_text_file(path("b.txt")), "Data");

    EXPECT_EQ(_lopen(path("missing").c_str(), OF_READ), HFILE_ERROR);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
}

TEST_F(Files, LreadReturnsTheCountAndZeroAtTheEnd) {
    ASSERT_TRUE(write_text_file(path("c.txt"), "12345"));
    HFILE file = _lopen(path("c.txt").c_str(), OF_READ);
    char buffer[16];
    EXPECT_EQ(_lread(file, buffer, 3), 3u);
    EXPECT_EQ(_lread(file, buffer, 16), 2u);
    EXPECT_EQ(_lread(file, buffer, 16), 0u);
    _lclose(file);
}

TEST_F(Files, LlseekFromEachOriginAndRefusesANegativePosition) {
    ASSERT_TRUE(write_text_file(path("d.txt"), "0123456789"));
    HFILE file = _lopen(path("d.txt").c_str(), OF_READ);
    EXPECT_EQ(_llseek(file, 4, FILE_BEGIN), 4);
    EXPECT_EQ(_llseek(file, 2, FILE_CURRENT), 6);
    EXPECT_EQ(_llseek(file, -3, FILE_END), 7);
    EXPECT_EQ(_llseek(file, 0, FILE_END), 10);
    EXPECT_EQ(_llseek(file, -11, FILE_END), HFILE_ERROR);
    EXPECT_EQ(GetLastError(), kErrorNegativeSeek);
    EXPECT_EQ(_llseek(file, 0, FILE_CURRENT), 10);  // the failed seek did not move
    EXPECT_EQ(_llseek(file, 0, 7), HFILE_ERROR);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
    _lclose(file);
}

TEST_F(Files, LwriteOfZeroBytesDoesNotTruncate) {
    ASSERT_TRUE(write_text_file(path("e.txt"), "keep all of this"));
    HFILE file = _lopen(path("e.txt").c_str(), OF_READWRITE);
    _llseek(file, 4, FILE_BEGIN);
    EXPECT_EQ(_lwrite(file, "", 0), 0u);
    _lclose(file);
    EXPECT_EQ(read_text_file(path("e.txt")), "keep all of this");
}

TEST_F(Files, UnknownOrClosedHfileIsRefused) {
    char buffer[4];
    EXPECT_EQ(_lread(4000, buffer, 4), UINT(HFILE_ERROR));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
    EXPECT_EQ(_lclose(STDERR_FILENO), HFILE_ERROR);  // not the layer's to close
    EXPECT_NE(fcntl(STDERR_FILENO, F_GETFD), -1);

    HFILE file = _lcreat(path("f.txt").c_str(), 0);
    ASSERT_NE(file, HFILE_ERROR);
    EXPECT_EQ(_lclose(file), 0);
    EXPECT_EQ(_lclose(file), HFILE_ERROR);
    EXPECT_EQ(_lwrite(file, "x", 1), UINT(HFILE_ERROR));
    EXPECT_EQ(_llseek(file, 0, FILE_BEGIN), HFILE_ERROR);
}

TEST_F(Files, DescriptorsAreCloseOnExecAndAboveTheStandardStreams) {
    int savedStdin = dup(STDIN_FILENO);
    ASSERT_GE(savedStdin, 0);
    close(STDIN_FILENO);  // the next open(2) would get descriptor 0
    HFILE file = _lcreat(path("g.txt").c_str(), 0);
    dup2(savedStdin, STDIN_FILENO);
    close(savedStdin);
    ASSERT_NE(file, HFILE_ERROR);
    EXPECT_GT(file, STDERR_FILENO);
    EXPECT_TRUE(fcntl(file, F_GETFD) & FD_CLOEXEC);
    _lclose(file);
}

TEST_F(Files, OpenFileReportsTheFullPathAndTheError) {
    OFSTRUCT info;
    memset(&info, 0xCC, sizeof(info));
    EXPECT_EQ(OpenFile(path("missing.txt").c_str(), &info, OF_READ), HFILE_ERROR);
    EXPECT_EQ(info.nErrCode, WORD(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(info.cBytes, sizeof(OFSTRUCT));
    EXPECT_STREQ(info.szPathName, path("missing.txt").c_str());

    EXPECT_EQ(OpenFile(path("no/such/dir/x.txt").c_str(), &info, OF_READ), HFILE_ERROR);
    EXPECT_EQ(info.nErrCode, WORD(ERROR_PATH_NOT_FOUND));
}

TEST_F(Files, OpenFileCreatesTestsAndDeletes) {
    OFSTRUCT info;
    std::string file = path("h.txt");
    HFILE created = OpenFile(file.c_str(), &info, OF_CREATE | OF_WRITE);
    ASSERT_NE(created, HFILE_ERROR);
    EXPECT_EQ(info.nErrCode, 0);
    EXPECT_EQ(_lwrite(created, "abc", 3), 3u);
    _lclose(created);

    EXPECT_EQ(OpenFile(file.c_str(), &info, OF_EXIST), TRUE);
    HFILE reader = OpenFile(file.c_str(), &info, OF_READ);
    ASSERT_NE(reader, HFILE_ERROR);
    char buffer[4] = {};
    EXPECT_EQ(_lread(reader, buffer, 3), 3u);
    _lclose(reader);

    EXPECT_EQ(OpenFile(file.c_str(), &info, OF_DELETE), TRUE);
    EXPECT_FALSE(file_exists(file));
    EXPECT_EQ(OpenFile(file.c_str(), &info, OF_EXIST), HFILE_ERROR);
    EXPECT_EQ(info.nErrCode, WORD(ERROR_FILE_NOT_FOUND));
}

TEST_F(Files, OpenFileParseOnlyResolvesThePath) {
    OFSTRUCT info;
    std::string spelled = scratch_.dir() + "/sub/../i.txt";
    EXPECT_EQ(OpenFile(spelled.c_str(), &info, OF_PARSE), 0);
    EXPECT_STREQ(info.szPathName, path("i.txt").c_str());
    EXPECT_FALSE(file_exists(path("i.txt")));
}

TEST_F(Files, CreateNewRefusesAnExistingFile) {
    ASSERT_TRUE(write_text_file(path("j.txt"), "precious"));
    EXPECT_EQ(create(path("j.txt"), CREATE_NEW), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_EXISTS));
    EXPECT_EQ(read_text_file(path("j.txt")), "precious");
}

TEST_F(Files, CreateNewNeverFollowsALink) {
    // A dangling link: following it would create the target.
    ASSERT_EQ(symlink(path("target.txt").c_str(), path("dangling").c_str()), 0);
    EXPECT_EQ(create(path("dangling"), CREATE_NEW), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_EXISTS));
    EXPECT_FALSE(file_exists(path("target.txt")));

    // A link to a file: following it would open (and write) that file.
    ASSERT_TRUE(write_text_file(path("real.txt"), "precious"));
    ASSERT_EQ(symlink(path("real.txt").c_str(), path("link").c_str()), 0);
    EXPECT_EQ(create(path("link"), CREATE_NEW), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_EXISTS));
    EXPECT_EQ(read_text_file(path("real.txt")), "precious");
}

TEST_F(Files, CreateNewMakesAFileTheHandleOfWhichIsAnHfile) {
    HANDLE handle = create(path("k.txt"), CREATE_NEW);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    HFILE file = as_hfile(handle);
    EXPECT_EQ(_lwrite(file, "hello", 5), 5u);
    EXPECT_EQ(_llseek(file, 1, FILE_BEGIN), 1);
    char buffer[8] = {};
    EXPECT_EQ(_lread(file, buffer, 8), 4u);
    EXPECT_STREQ(buffer, "ello");
    EXPECT_TRUE(fcntl(file, F_GETFD) & FD_CLOEXEC);
    EXPECT_TRUE(CloseHandle(handle));
    EXPECT_FALSE(CloseHandle(handle));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(CloseHandle(INVALID_HANDLE_VALUE));
}

TEST_F(Files, CreateAlwaysTruncatesAndTellsWhetherTheFileWasThere) {
    HANDLE fresh = create(path("l.txt"), CREATE_ALWAYS);
    ASSERT_NE(fresh, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD(NO_ERROR));
    _lwrite(as_hfile(fresh), "abc", 3);
    CloseHandle(fresh);

    HANDLE again = create(path("l.txt"), CREATE_ALWAYS);
    ASSERT_NE(again, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ALREADY_EXISTS));
    CloseHandle(again);
    EXPECT_EQ(read_text_file(path("l.txt")), "");
}

TEST_F(Files, OpenAlwaysKeepsContentsAndOpenExistingNeedsTheFile) {
    EXPECT_EQ(create(path("m.txt"), OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(create(path("nowhere/m.txt"), OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_PATH_NOT_FOUND));

    ASSERT_TRUE(write_text_file(path("m.txt"), "kept"));
    HANDLE handle = create(path("m.txt"), OPEN_ALWAYS);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ALREADY_EXISTS));
    CloseHandle(handle);
    EXPECT_EQ(read_text_file(path("m.txt")), "kept");

    HANDLE made = create(path("n.txt"), OPEN_ALWAYS);
    ASSERT_NE(made, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD(NO_ERROR));
    CloseHandle(made);
    EXPECT_TRUE(file_exists(path("n.txt")));
}

TEST_F(Files, TruncateExistingNeedsWriteAccess) {
    ASSERT_TRUE(write_text_file(path("o.txt"), "to be cut"));
    EXPECT_EQ(create(path("o.txt"), TRUNCATE_EXISTING, GENERIC_READ), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
    HANDLE handle = create(path("o.txt"), TRUNCATE_EXISTING, GENERIC_WRITE);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    CloseHandle(handle);
    EXPECT_EQ(read_text_file(path("o.txt")), "");
    EXPECT_EQ(create(path("p.txt"), TRUNCATE_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
}

TEST_F(Files, ReadOnlyHandleCannotWrite) {
    ASSERT_TRUE(write_text_file(path("q.txt"), "ro"));
    HANDLE handle = create(path("q.txt"), OPEN_EXISTING, GENERIC_READ);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    EXPECT_EQ(_lwrite(as_hfile(handle), "x", 1), UINT(HFILE_ERROR));
    CloseHandle(handle);
    EXPECT_EQ(read_text_file(path("q.txt")), "ro");
}

TEST_F(Files, AFolderIsNoFile) {
    EXPECT_EQ(create(scratch_.dir(), OPEN_EXISTING, GENERIC_READ), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
    EXPECT_EQ(_lopen(scratch_.dir().c_str(), OF_READ), HFILE_ERROR);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
}

TEST_F(Files, BackslashesSeparateFoldersAsOnWindows) {
    ASSERT_TRUE(CreateDirectoryA(path("sub").c_str(), nullptr));
    std::string windowsStyle = scratch_.dir() + "\\sub\\r.txt";
    HANDLE handle = create(windowsStyle, CREATE_NEW);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    CloseHandle(handle);
    EXPECT_TRUE(file_exists(path("sub/r.txt")));
    EXPECT_TRUE(DeleteFileA(windowsStyle.c_str()));
}

TEST_F(Files, DeleteFileReportsAMissingFile) {
    ASSERT_TRUE(write_text_file(path("s.txt"), "x"));
    EXPECT_TRUE(DeleteFileA(path("s.txt").c_str()));
    EXPECT_FALSE(DeleteFileA(path("s.txt").c_str()));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
    ASSERT_TRUE(CreateDirectoryA(path("folder").c_str(), nullptr));
    EXPECT_FALSE(DeleteFileA(path("folder").c_str()));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
}

TEST_F(Files, FoldersAreMadePrivateAndRemovedOnlyWhenEmpty) {
    std::string folder = path("t");
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    struct stat st;
    ASSERT_EQ(stat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_FALSE(CreateDirectoryA(folder.c_str(), nullptr));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ALREADY_EXISTS));
    EXPECT_FALSE(CreateDirectoryA(path("u/v").c_str(), nullptr));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_PATH_NOT_FOUND));

    ASSERT_TRUE(write_text_file(folder + "/inside", "x"));
    EXPECT_FALSE(RemoveDirectoryA(folder.c_str()));
    EXPECT_EQ(GetLastError(), kErrorDirNotEmpty);
    ASSERT_TRUE(DeleteFileA((folder + "/inside").c_str()));
    EXPECT_TRUE(RemoveDirectoryA(folder.c_str()));
    EXPECT_FALSE(file_exists(folder));
}

TEST_F(Files, AttributesTellFoldersFilesAndReadOnlyFiles) {
    ASSERT_TRUE(write_text_file(path("w.txt"), "x"));
    EXPECT_EQ(GetFileAttributesA(path("w.txt").c_str()), DWORD(FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(GetFileAttributesA(scratch_.dir().c_str()), DWORD(FILE_ATTRIBUTE_DIRECTORY));
    ASSERT_EQ(chmod(path("w.txt").c_str(), 0444), 0);
    EXPECT_EQ(GetFileAttributesA(path("w.txt").c_str()), kReadOnlyAttribute);
    EXPECT_EQ(GetFileAttributesA(path("missing").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
}
