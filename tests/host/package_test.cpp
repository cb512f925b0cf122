// The Windows Installer packages in a fresh 64-bit prefix: script/test
// builds them into packages\ beside this program, each word size's saver at
// the project's version, and the 64-bit one at the next major version too.
#include <fstream>

#include "saver_host.h"

static DWORD Msiexec(const std::string& action, const char* package)
{
    const std::string path = PathBeside(std::string("packages\\") + package);
    return Process(action + " \"" + path + "\" /qn", "C:\\windows\\system32\\msiexec.exe").WaitForExit(60000);
}

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

// Each installs its saver byte for byte into the system folder of its word
// size and leaves nothing behind; a newer 64-bit one replaces the older
// under one entry, and the older one is then refused.
TEST(Package, InstallsUpgradesAndUninstallsInTheSystemFolderOfItsWordSize)
{
    char system32[MAX_PATH] = {};
    char syswow64[MAX_PATH] = {};
    GetSystemDirectoryA(system32, MAX_PATH);
    GetSystemWow64DirectoryA(syswow64, MAX_PATH);
    const struct { const char* package; std::string built, folder; REGSAM view; } packages[] = {
        {"x64.msi", "Cadrel.scr", system32, KEY_WOW64_64KEY},
        {"x86.msi", "..\\win32\\Cadrel.scr", syswow64, KEY_WOW64_32KEY},
    };
    for (const auto& [package, built, folder, view] : packages) {
        SCOPED_TRACE(package);
        const std::string installed = folder + "\\Cadrel.scr";
        ASSERT_EQ(Msiexec("/i", package), 0u);
        EXPECT_TRUE(Bytes(installed) == Bytes(PathBeside(built)) && !Bytes(installed).empty());
        EXPECT_EQ(Entries(view), Texts{CADREL_VERSION});
        if (view == KEY_WOW64_64KEY) {
            EXPECT_EQ(Msiexec("/i", "newer-x64.msi"), 0u);
            EXPECT_NE(Msiexec("/i", package), 0u);
            EXPECT_EQ(Entries(view), Texts{std::to_string(atoi(CADREL_VERSION) + 1) + ".0.0"});
        }
        EXPECT_EQ(Msiexec("/x", view == KEY_WOW64_64KEY ? "newer-x64.msi" : package), 0u);
        EXPECT_TRUE(Bytes(installed).empty() && Entries(view).empty()) << "left behind";
    }
}
