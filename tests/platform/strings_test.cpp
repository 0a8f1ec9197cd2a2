// LoadStringA over the modules' resource tables.
#include "resource_table.h"
#include "win32.h"

#include <gtest/gtest.h>

#include <string.h>

namespace {

const QrStringResource kProgramStrings[] = {
    {1, "Main program"},
};

}  // namespace

// The test program's own table, found through the NULL instance.
QR_EXPORT const QrResourceTable QrModuleResources = {kProgramStrings, 1, nullptr, 0};

// Every module exports its own QrModuleResources, as every Windows module has
// resources of its own; AddressSanitizer takes two globals of one name in two
// modules for a one-definition violation. Level 1 still reports two such
// globals of different sizes. (Read only in builds with AddressSanitizer.)
QR_EXPORT const char *__asan_default_options(void) { return "detect_odr_violation=1"; }

namespace {

class Strings : public ::testing::Test {
protected:
    void SetUp() override {
        module_ = LoadLibraryA(QR_TEST_MODULE_PATH);
        ASSERT_NE(module_, nullptr);
    }
    void TearDown() override { FreeLibrary(module_); }

    HINSTANCE instance() { return reinterpret_cast<HINSTANCE>(module_); }

    HMODULE module_ = nullptr;
};

}  // namespace

TEST_F(Strings, LoadStringCopiesTheModulesString) {
    char buffer[64];
    EXPECT_EQ(LoadStringA(instance(), 1, buffer, sizeof(buffer)), 5);
    EXPECT_STREQ(buffer, "Hello");
    EXPECT_EQ(LoadStringA(instance(), 10, buffer, sizeof(buffer)), 3);
    EXPECT_STREQ(buffer, "TIF");
}

TEST_F(Strings, LoadStringCutsToTheBuffer) {
    char buffer[64];
    memset(buffer, 'z', sizeof(buffer));
    EXPECT_EQ(LoadStringA(instance(), 2, buffer, 6), 5);
    EXPECT_STREQ(buffer, "A lon");
    EXPECT_EQ(buffer[6], 'z');
    EXPECT_EQ(LoadStringA(instance(), 2, buffer, 1), 0);
    EXPECT_STREQ(buffer, "");
}

TEST_F(Strings, MissingStringGivesZeroAndAnEmptyBuffer) {
    char buffer[8] = "junk";
    EXPECT_EQ(LoadStringA(instance(), 99, buffer, sizeof(buffer)), 0);
    EXPECT_STREQ(buffer, "");
}

TEST_F(Strings, SizeZeroWritesNothing) {
    char buffer[8] = "junk";
    EXPECT_EQ(LoadStringA(instance(), 1, buffer, 0), 0);
    EXPECT_STREQ(buffer, "junk");
}

TEST_F(Strings, NullInstanceIsTheProgram) {
    char buffer[64];
    EXPECT_EQ(LoadStringA(nullptr, 1, buffer, sizeof(buffer)), 12);
    EXPECT_STREQ(buffer, "Main program");
    EXPECT_EQ(LoadStringA(GetModuleHandleA(nullptr), 1, buffer, sizeof(buffer)), 12);
}

TEST_F(Strings, AModuleWithoutATableHasNoStringsEvenIfADependencyHas) {
    HMODULE plugin = LoadLibraryA(QR_TEST_PLUGIN_PATH);
    ASSERT_NE(plugin, nullptr);
    char buffer[64];
    EXPECT_EQ(LoadStringA(reinterpret_cast<HINSTANCE>(plugin), 1, buffer, sizeof(buffer)), 0);
    EXPECT_STREQ(buffer, "");
    FreeLibrary(plugin);
}

TEST_F(Strings, UnknownInstanceGivesNothing) {
    int notAModule = 0;
    char buffer[8];
    EXPECT_EQ(LoadStringA(reinterpret_cast<HINSTANCE>(&notAModule), 1, buffer, sizeof(buffer)), 0);
}
