// Modules: loading, symbols, handles by name and address, file names, and the
// Windows directory.
#include "resource_table.h"
#include "scratch_dir.h"
#include "win32.h"

#include <gtest/gtest.h>

#include <limits.h>
#include <string.h>
#include <unistd.h>

namespace {

typedef int (*AnswerFunction)(void);
typedef void *(*AddressFunction)(void);

// FARPROC has a fixed type; going through void (*)(void) states that the
// cast to the real type is meant.
template <typename Function>
Function find_proc(HMODULE module, const char *name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)(void)>(GetProcAddress(module, name)));
}

std::string real_path(const std::string &path) {
    char *real = realpath(path.c_str(), nullptr);
    std::string result = real ? real : "";
    free(real);
    return result;
}

std::string folder_of(const std::string &path) { return path.substr(0, path.find_last_of('/')); }

std::string module_file_name(HMODULE module) {
    char buffer[PATH_MAX];
    DWORD length = GetModuleFileNameA(module, buffer, sizeof(buffer));
    return std::string(buffer, length);
}

std::string windows_directory(void) {
    char buffer[PATH_MAX];
    UINT length = GetWindowsDirectoryA(buffer, sizeof(buffer));
    return length < sizeof(buffer) ? std::string(buffer, length) : std::string();
}

constexpr DWORD kFromAddressOnly =
    GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT;

int function_of_the_program(void) { return 7; }

}  // namespace

TEST(Modules, LoadingAMissingFileFails) {
    SetLastError(0);
    EXPECT_EQ(LoadLibraryA("/no/such/module.dll"), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_MOD_NOT_FOUND));
    EXPECT_EQ(LoadLibraryA(nullptr), nullptr);
}

TEST(Modules, GetProcAddressFindsTheModulesOwnExports) {
    HMODULE module = LoadLibraryA(QR_TEST_MODULE_PATH);
    ASSERT_NE(module, nullptr);
    AnswerFunction answer = find_proc<AnswerFunction>(module, "KernelTestModule_Answer");
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answer(), 42);

    SetLastError(0);
    EXPECT_EQ(GetProcAddress(module, "NoSuchFunction"), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_PROC_NOT_FOUND));
    EXPECT_EQ(GetProcAddress(module, MAKEINTRESOURCEA(1)), nullptr);  // ordinals are not supported
    EXPECT_EQ(GetLastError(), DWORD(ERROR_PROC_NOT_FOUND));
    EXPECT_TRUE(FreeLibrary(module));
}

TEST(Modules, GetProcAddressDoesNotLookIntoDependencies) {
    HMODULE plugin = LoadLibraryA(QR_TEST_PLUGIN_PATH);
    ASSERT_NE(plugin, nullptr);
    AnswerFunction twice = find_proc<AnswerFunction>(plugin, "KernelTestPlugin_Twice");
    ASSERT_NE(twice, nullptr);
    EXPECT_EQ(twice(), 84);
    // Defined by KernelTestModule.dll, which the plugin depends on.
    EXPECT_EQ(GetProcAddress(plugin, "KernelTestModule_Answer"), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_PROC_NOT_FOUND));
    EXPECT_TRUE(FreeLibrary(plugin));
}

TEST(Modules, AModuleMayLoadAndFreeModulesWhileItIsLoadedAndUnloaded) {
    HMODULE plugin = LoadLibraryA(QR_TEST_PLUGIN_PATH);
    ASSERT_NE(plugin, nullptr);
    typedef HMODULE (*HeldFunction)(void);
    HeldFunction held = find_proc<HeldFunction>(plugin, "KernelTestPlugin_HeldModule");
    ASSERT_NE(held, nullptr);
    EXPECT_NE(held(), nullptr);  // its constructor's LoadLibraryA worked
    EXPECT_EQ(held(), GetModuleHandleA("KernelTestModule.dll"));
    EXPECT_TRUE(FreeLibrary(plugin));  // its destructor calls FreeLibrary
    EXPECT_EQ(GetModuleHandleA("KernelTestPlugin.dll"), nullptr);
    EXPECT_EQ(GetModuleHandleA("KernelTestModule.dll"), nullptr);
}

TEST(Modules, GetProcAddressRefusesAnUnknownModule) {
    int notAModule = 0;
    EXPECT_EQ(GetProcAddress(reinterpret_cast<HMODULE>(&notAModule), "KernelTestModule_Answer"), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_MOD_NOT_FOUND));
}

TEST(Modules, FreeLibraryRefusesHandlesItHoldsNoReferenceOn) {
    HMODULE module = LoadLibraryA(QR_TEST_MODULE_PATH);
    ASSERT_NE(module, nullptr);
    EXPECT_TRUE(FreeLibrary(module));
    SetLastError(0);
    EXPECT_FALSE(FreeLibrary(module));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
    int notAModule = 0;
    EXPECT_FALSE(FreeLibrary(reinterpret_cast<HMODULE>(&notAModule)));
    EXPECT_FALSE(FreeLibrary(GetModuleHandleA(nullptr)));
}

TEST(Modules, LastFreeLibraryUnloadsTheModule) {
    HMODULE first = LoadLibraryA(QR_TEST_MODULE_PATH);
    HMODULE second = LoadLibraryA(QR_TEST_MODULE_PATH);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    EXPECT_TRUE(FreeLibrary(first));
    EXPECT_EQ(GetModuleHandleA("KernelTestModule.dll"), first);  // one reference left
    EXPECT_TRUE(FreeLibrary(second));
    EXPECT_EQ(GetModuleHandleA("KernelTestModule.dll"), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_MOD_NOT_FOUND));
}

TEST(Modules, GetModuleHandleMatchesTheBaseNameWithoutCase) {
    HMODULE module = LoadLibraryA(QR_TEST_MODULE_PATH);
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(GetModuleHandleA("kerneltestmodule.DLL"), module);
    EXPECT_EQ(GetModuleHandleA("KernelTestModule"), module);  // Win32 adds ".dll"
    EXPECT_EQ(GetModuleHandleA("C:\\Windows\\KERNELTESTMODULE.DLL"), module);
    EXPECT_EQ(GetModuleHandleA("KernelTestModule.dl"), nullptr);
    EXPECT_TRUE(FreeLibrary(module));
}

TEST(Modules, GetModuleHandleOfNullIsTheProgram) {
    HMODULE program = GetModuleHandleA(nullptr);
    ASSERT_NE(program, nullptr);
    HMODULE byAddress = nullptr;
    ASSERT_TRUE(GetModuleHandleExA(kFromAddressOnly, reinterpret_cast<LPCSTR>(&function_of_the_program), &byAddress));
    EXPECT_EQ(byAddress, program);
    EXPECT_EQ(module_file_name(program), real_path("/proc/self/exe"));
    EXPECT_EQ(module_file_name(nullptr), real_path("/proc/self/exe"));
}

TEST(Modules, GetModuleHandleExFromAddressFindsTheOwningModule) {
    HMODULE module = LoadLibraryA(QR_TEST_MODULE_PATH);
    ASSERT_NE(module, nullptr);
    AddressFunction inner = find_proc<AddressFunction>(module, "KernelTestModule_InnerAddress");
    ASSERT_NE(inner, nullptr);

    HMODULE found = nullptr;
    ASSERT_TRUE(GetModuleHandleExA(kFromAddressOnly, static_cast<LPCSTR>(inner()), &found));
    EXPECT_EQ(found, module);
    // A data symbol too.
    void *table = reinterpret_cast<void *>(GetProcAddress(module, QR_RESOURCE_SYMBOL));
    ASSERT_NE(table, nullptr);
    ASSERT_TRUE(GetModuleHandleExA(kFromAddressOnly, static_cast<LPCSTR>(table), &found));
    EXPECT_EQ(found, module);

    EXPECT_TRUE(FreeLibrary(module));  // unchanged count: this unloads it
    EXPECT_EQ(GetModuleHandleA("KernelTestModule.dll"), nullptr);
}

TEST(Modules, GetModuleHandleExTakesAReferenceUnlessToldNotTo) {
    HMODULE module = LoadLibraryA(QR_TEST_MODULE_PATH);
    ASSERT_NE(module, nullptr);
    HMODULE again = nullptr;
    ASSERT_TRUE(GetModuleHandleExA(0, "KernelTestModule.dll", &again));
    EXPECT_EQ(again, module);
    EXPECT_TRUE(FreeLibrary(module));
    EXPECT_EQ(GetModuleHandleA("KernelTestModule.dll"), module);  // still held
    EXPECT_TRUE(FreeLibrary(again));
    EXPECT_EQ(GetModuleHandleA("KernelTestModule.dll"), nullptr);
}

TEST(Modules, GetModuleHandleExChecksItsArguments) {
    HMODULE found = reinterpret_cast<HMODULE>(1);
    EXPECT_FALSE(GetModuleHandleExA(0, nullptr, nullptr));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
    EXPECT_FALSE(GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_PIN | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                    nullptr, &found));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
    EXPECT_FALSE(GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT, "NotLoaded.dll", &found));
    EXPECT_EQ(found, nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_MOD_NOT_FOUND));
}

TEST(Modules, ModuleFileNameIsTheRealAbsolutePath) {
    // Loaded through a link, by a relative path, from another working folder.
    ScratchDir scratch;
    ASSERT_EQ(symlink(QR_TEST_MODULE_PATH, scratch.path("Alias.dll").c_str()), 0);
    char saved[PATH_MAX];
    ASSERT_NE(getcwd(saved, sizeof(saved)), nullptr);
    ASSERT_EQ(chdir(scratch.dir().c_str()), 0);
    HMODULE module = LoadLibraryA("./Alias.dll");
    ASSERT_EQ(chdir("/"), 0);
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(module_file_name(module), real_path(QR_TEST_MODULE_PATH));
    EXPECT_EQ(chdir(saved), 0);
    EXPECT_TRUE(FreeLibrary(module));
}

TEST(Modules, ModuleFileNameIsCutAsWin32CutsIt) {
    HMODULE module = LoadLibraryA(QR_TEST_MODULE_PATH);
    ASSERT_NE(module, nullptr);
    std::string full = real_path(QR_TEST_MODULE_PATH);
    char buffer[PATH_MAX];
    memset(buffer, 'z', sizeof(buffer));
    SetLastError(0);
    EXPECT_EQ(GetModuleFileNameA(module, buffer, 5), 5u);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(std::string(buffer), full.substr(0, 4));

    EXPECT_EQ(GetModuleFileNameA(module, buffer, static_cast<DWORD>(full.size())), full.size());
    EXPECT_EQ(std::string(buffer), full.substr(0, full.size() - 1));
    EXPECT_EQ(GetModuleFileNameA(module, buffer, static_cast<DWORD>(full.size() + 1)), full.size());
    EXPECT_EQ(std::string(buffer), full);
    EXPECT_EQ(GetModuleFileNameA(module, buffer, 0), 0u);
    EXPECT_TRUE(FreeLibrary(module));

    int notAModule = 0;
    EXPECT_EQ(GetModuleFileNameA(reinterpret_cast<HMODULE>(&notAModule), buffer, sizeof(buffer)), 0u);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_MOD_NOT_FOUND));
}

TEST(WindowsDirectory, DefaultsToTheFolderOfThePlatformLibrary) {
    ScopedEnv unset("WINDIR", nullptr);
    HMODULE platform = nullptr;
    ASSERT_TRUE(GetModuleHandleExA(kFromAddressOnly, reinterpret_cast<LPCSTR>(&GlobalAlloc), &platform));
    std::string library = module_file_name(platform);
    EXPECT_EQ(library.substr(library.find_last_of('/') + 1), "libqrplatform.so");
    EXPECT_EQ(windows_directory(), folder_of(library));
    // Every module of the build sits in that one folder.
    EXPECT_EQ(windows_directory(), folder_of(real_path(QR_TEST_MODULE_PATH)));
}

TEST(WindowsDirectory, WindirWinsWithoutItsTrailingSeparator) {
    ScopedEnv windir("WINDIR", "/opt/windows/");
    EXPECT_EQ(windows_directory(), "/opt/windows");
}

TEST(WindowsDirectory, TooSmallABufferGivesTheSizeNeeded) {
    ScopedEnv windir("WINDIR", "/opt/win");
    char buffer[16];
    memset(buffer, 'z', sizeof(buffer));
    EXPECT_EQ(GetWindowsDirectoryA(buffer, 8), 9u);
    EXPECT_EQ(buffer[0], 'z');
    EXPECT_EQ(GetWindowsDirectoryA(buffer, 9), 8u);
    EXPECT_STREQ(buffer, "/opt/win");
}
