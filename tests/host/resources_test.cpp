// What Windows reads from the file itself: the saver's name for its list,
// the icon, the version block and the manifest.
#include <gtest/gtest.h>

#include "saver_host.h"

TEST(Resources, NameIconVersionAndManifestAreInTheFile)
{
    HMODULE file = LoadLibraryExA(SaverPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(file, nullptr);
    char name[64] = {};
    LoadStringA(file, 1, name, sizeof name);
    EXPECT_STREQ(name, "The Cadrel Screen Saver");

    // One 32 x 32 image in 16 colours.
    HRSRC group = FindResourceA(file, "IDI_ICON1", RT_GROUP_ICON);
    ASSERT_NE(group, nullptr);
    const auto* directory = static_cast<const BYTE*>(LockResource(LoadResource(file, group)));
    const BYTE* entry = directory + 6;  // after reserved, type and count
    EXPECT_EQ(directory[4] | directory[5] << 8, 1);
    EXPECT_EQ(entry[0], 32);
    EXPECT_EQ(entry[1], 32);
    EXPECT_EQ(entry[2], 16);

    EXPECT_NE(FindResourceA(file, MAKEINTRESOURCEA(VS_VERSION_INFO), RT_VERSION), nullptr);
    HRSRC manifest = FindResourceA(file, MAKEINTRESOURCEA(1), RT_MANIFEST);
    ASSERT_NE(manifest, nullptr);
    const std::string text(static_cast<const char*>(LockResource(LoadResource(file, manifest))),
                           SizeofResource(file, manifest));
    EXPECT_NE(text.find("PerMonitorV2"), std::string::npos);
    EXPECT_NE(text.find("asInvoker"), std::string::npos);
    FreeLibrary(file);
}
