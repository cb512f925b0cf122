// What Windows reads from the file itself; the release test reads its version.
#include "saver_host.h"

TEST(Resources, NameIconAndManifestAreInTheFile)
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
    const std::string manifest = resource(MAKEINTRESOURCEA(1), RT_MANIFEST);
    EXPECT_TRUE(manifest.find("WindowsSettings\">PerMonitorV2") != std::string::npos
                && manifest.find("level=\"asInvoker\"") != std::string::npos) << manifest;
}
