// The drive list and the medium rule on Windows, under Wine: the system drive is fixed, the test
// drive that tools/test-windows.sh maps is of removable type.
#include "framework/RemovableDrives.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>

TEST(Win32RemovableDrives, TheSystemDriveIsNeitherListedNorRemovable) {
    const std::vector<std::string> roots = ListRemovableDriveRoots();
    EXPECT_EQ(std::count(roots.begin(), roots.end(), "C:\\"), 0);
    EXPECT_FALSE(IsOnRemovableMedium("C:\\"));
    const std::u8string temp = std::filesystem::temp_directory_path().u8string();
    EXPECT_FALSE(IsOnRemovableMedium(std::string(temp.begin(), temp.end())));
    EXPECT_FALSE(IsOnRemovableMedium(""));
    EXPECT_FALSE(IsOnRemovableMedium("\xBF\xA8"));
    for (const std::string& root : roots) {
        ASSERT_EQ(root.size(), 3u) << root;
        EXPECT_EQ(root.substr(1), ":\\") << root;
        EXPECT_TRUE(IsOnRemovableMedium(root)) << root;
    }
}

TEST(Win32RemovableDrives, TheTestDriveIsListedAndRemovable) {
    const char* letter = std::getenv("VEXLORN_TEST_DRIVE");
    if (letter == nullptr || *letter == '\0')
        GTEST_SKIP() << "VEXLORN_TEST_DRIVE names no test drive (tools/test-windows.sh maps one)";
    const std::string root = std::string(letter) + "\\";
    const std::vector<std::string> roots = ListRemovableDriveRoots();
    EXPECT_EQ(std::count(roots.begin(), roots.end(), root), 1) << root;
    EXPECT_TRUE(IsOnRemovableMedium(root));
    EXPECT_TRUE(IsOnRemovableMedium(root + "test0.vexlorn"));
    EXPECT_EQ(ListRemovableDriveRoots(SystemView{"/nonexistent", "/nonexistent"}), roots);
}
