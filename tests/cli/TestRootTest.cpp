#include "cli/TestRoot.h"

#include <sys/mount.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "support/SizeLimitedMount.h"

namespace fs = std::filesystem;

class TestRootTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char folder[] = "/tmp/vexlorn-root-XXXXXX";
        ASSERT_NE(::mkdtemp(folder), nullptr);
        folder_ = folder;
    }
    void TearDown() override { fs::remove_all(folder_); }
    std::string folder_;
};

TEST_F(TestRootTest, AWritableDirectoryGetsItsSeparator) {
    TestRootCheck check = CheckTestRoot(folder_, true);
    EXPECT_EQ(check.error, "");
    EXPECT_EQ(check.root, folder_ + "/");
    EXPECT_EQ(CheckTestRoot(folder_ + "/", true).root, folder_ + "/");
}

TEST_F(TestRootTest, RefusesWhatCannotBeTested) {
    std::ofstream(folder_ + "/file") << "x";
    EXPECT_NE(CheckTestRoot(folder_ + "/missing", true).error, "");
    EXPECT_NE(CheckTestRoot(folder_ + "/file", true).error, "");
    // The system disk (this folder lies on it) is refused unless the user says so.
    EXPECT_NE(CheckTestRoot(folder_, false).error.find("--allow-non-removable"), std::string::npos);
}

TEST_F(TestRootTest, RefusesARootTooLongForTheTestFileNames) {
    // A folder whose own path fits the system's limit but whose test file names would not.
    const std::size_t length = PATH_MAX - 10;
    std::string path = folder_;
    while (path.size() < length)
        path += "/" + std::string(std::clamp<std::size_t>(length - path.size(), 1, 200), 'd');
    fs::create_directories(path);
    ASSERT_TRUE(fs::is_directory(path));
    TestRootCheck check = CheckTestRoot(path, true);
    EXPECT_NE(check.error.find("太长"), std::string::npos) << check.error;
}

TEST(TestRootReadOnly, RefusesAReadOnlyMedium) {
    SizeLimitedMount medium("64k");
    SKIP_UNLESS_MOUNTED(medium);
    std::string folder = medium.Root();
    folder.pop_back();
    ASSERT_EQ(::mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0);
    EXPECT_NE(CheckTestRoot(folder, true).error, "");
}
