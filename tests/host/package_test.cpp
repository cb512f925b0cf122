// The Windows Installer packages in packages\ beside this program: each word
// size's at the project's version beside the saver it holds (x64.scr,
// x86.scr), and the 64-bit one at the next major version too. They install
// for the machine: only elevated, on 64-bit Windows without the saver.
#include <fstream>

#include "saver_host.h"

static std::string Bytes(const std::string& path)  // empty when there is no file
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

// The versions of the saver's uninstall entries in one view of the registry.
static Texts Entries(REGSAM view)
{
    HKEY uninstall = nullptr;
    RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall", 0,
                  KEY_READ | view, &uninstall);
    Texts entries;
    char product[256];
    for (DWORD i = 0; RegEnumKeyA(uninstall, i, product, sizeof product) == ERROR_SUCCESS; ++i) {
        char name[100] = {};
        char version[100] = {};
        DWORD size = sizeof name;
        RegGetValueA(uninstall, product, "DisplayName", RRF_RT_REG_SZ, nullptr, name, &size);
        size = sizeof version;
        RegGetValueA(uninstall, product, "DisplayVersion", RRF_RT_REG_SZ, nullptr, version, &size);
        if (std::string(name) == "The Cadrel Screen Saver")
            entries.push_back(version);
    }
    RegCloseKey(uninstall);
    return entries;
}

static bool Elevated()
{
    HANDLE token = nullptr;
    TOKEN_ELEVATION elevation = {};
    DWORD size = 0;
    OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
    GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size);
    CloseHandle(token);
    return elevation.TokenIsElevated != 0;
}

class Package : public testing::Test {
protected:
    void SetUp() override
    {
        // A 32-bit program on 64-bit Windows sees the native system folder as
        // Sysnative: System32 is its own word size's, SysWOW64.
        BOOL wow64 = FALSE;
        IsWow64Process(GetCurrentProcess(), &wow64);
        char folder[MAX_PATH] = {};
        GetWindowsDirectoryA(folder, MAX_PATH);
        Native = folder + std::string(wow64 ? "\\Sysnative" : "\\System32");
        if (!GetSystemWow64DirectoryA(folder, MAX_PATH))
            GTEST_SKIP() << "needs 64-bit Windows, which both packages install on";
        Wow64 = folder;
        // Wine 10 gives its programs a token that is not elevated, yet its
        // msiexec installs into the system folders all the same.
        if (!Elevated() && !UnderWine())
            GTEST_SKIP() << "installs into the system folders: run from an elevated prompt";
        if (!Entries(KEY_WOW64_64KEY).empty() || !Entries(KEY_WOW64_32KEY).empty())
            GTEST_SKIP() << "The Cadrel Screen Saver is installed here, and the tests would remove it";
    }
    void TearDown() override  // what a failed test left installed
    {
        if (HasFailure())
            for (const char* package : {"x64.msi", "newer-x64.msi", "x86.msi"})
                Msiexec("/x", package);
    }
    DWORD Msiexec(const std::string& action, const char* package)
    {
        const std::string path = PathBeside(std::string("packages\\") + package);
        const std::string program = Native + "\\msiexec.exe";
        return Process(action + " \"" + path + "\" /qn", program.c_str()).WaitForExit(60000);
    }
    std::string Native, Wow64;  // the system folders of 64-bit and 32-bit programs
};

// Each installs its saver byte for byte into the system folder of its word
// size and leaves nothing behind; a newer 64-bit one replaces the older
// under one entry, and the older one is then refused.
TEST_F(Package, InstallsUpgradesAndUninstallsInTheSystemFolderOfItsWordSize)
{
    const struct { const char* package; std::string built, folder; REGSAM view; } packages[] = {
        {"x64.msi", "packages\\x64.scr", Native, KEY_WOW64_64KEY},
        {"x86.msi", "packages\\x86.scr", Wow64, KEY_WOW64_32KEY},
    };
    for (const auto& [package, built, folder, view] : packages) {
        SCOPED_TRACE(package);
        const std::string installed = folder + "\\Cadrel.scr";
        ASSERT_EQ(Msiexec("/i", package), 0u);
        EXPECT_TRUE(Bytes(installed) == Bytes(PathBeside(built))) << "not the built saver";
        EXPECT_EQ(Entries(view), Texts{CADREL_VERSION});
        if (view == KEY_WOW64_64KEY) {
            EXPECT_EQ(Msiexec("/i", "newer-x64.msi"), 0u);
            EXPECT_NE(Msiexec("/i", package), 0u);
            EXPECT_EQ(Entries(view), Texts{std::to_string(atoi(CADREL_VERSION) + 1) + ".0.0"});
        }
        EXPECT_EQ(Msiexec("/x", view == KEY_WOW64_64KEY ? "newer-x64.msi" : package), 0u);
        EXPECT_TRUE(Bytes(installed).empty()) << "the saver left behind";
        EXPECT_EQ(Entries(view), Texts{});
    }
}

// The word sizes' packages are two products: a newer 64-bit one leaves the
// 32-bit one installed, as it would not if they shared an upgrade code.
TEST_F(Package, OfOneWordSizeLeavesTheOtherInstalled)
{
    ASSERT_EQ(Msiexec("/i", "x86.msi"), 0u);
    ASSERT_EQ(Msiexec("/i", "newer-x64.msi"), 0u);
    EXPECT_EQ(Entries(KEY_WOW64_32KEY), Texts{CADREL_VERSION});
    EXPECT_FALSE(Bytes(Wow64 + "\\Cadrel.scr").empty()) << "the 32-bit saver was removed";
    EXPECT_EQ(Msiexec("/x", "newer-x64.msi"), 0u);
    EXPECT_EQ(Msiexec("/x", "x86.msi"), 0u);
}
