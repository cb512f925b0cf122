// What Windows reads from the file itself.
#include "saver_host.h"

TEST(Resources, NameIconVersionAndManifestAreInTheFile)
{
    // Found beside this program, as the search for a library starts there.
    HMODULE file = LoadLibraryExA("Cadrel.scr", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    auto resource = [file](const char* name, const char* type) {
        HRSRC found = FindResourceA(file, name, type);
        return std::string(static_cast<const char*>(LockResource(LoadResource(file, found))),
                           found ? SizeofResource(file, found) : 0);
    };
    char name[64] = {};
    LoadStringA(file, 1, name, sizeof name);
    EXPECT_STREQ(name, "The Cadrel Screen Saver");
    // One image, 32 x 32 in 16 colours.
    EXPECT_EQ(resource("IDI_ICON1", RT_GROUP_ICON).substr(4, 5), std::string("\1\0\x20\x20\x10", 5));
    // The fixed file information follows the 40-byte header that names VS_VERSION_INFO.
    VS_FIXEDFILEINFO fixed = {};
    resource(MAKEINTRESOURCEA(1), RT_VERSION).copy(reinterpret_cast<char*>(&fixed), sizeof fixed, 40);
    char version[32];
    snprintf(version, sizeof version, "%u.%u.%u.%u", HIWORD(fixed.dwFileVersionMS),
             LOWORD(fixed.dwFileVersionMS), HIWORD(fixed.dwFileVersionLS), LOWORD(fixed.dwFileVersionLS));
    EXPECT_STREQ(version, CADREL_VERSION ".0");
    const std::string manifest = resource(MAKEINTRESOURCEA(1), RT_MANIFEST);
    EXPECT_TRUE(manifest.find("WindowsSettings\">PerMonitorV2") != std::string::npos
                && manifest.find("level=\"asInvoker\"") != std::string::npos) << manifest;
}
