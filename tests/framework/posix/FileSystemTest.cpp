#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "framework/File.h"
#include "support/SizeLimitedMount.h"

namespace fs = std::filesystem;

namespace {

class PosixFileSystemTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char folder[] = "/tmp/vexlorn-files-XXXXXX";
        ASSERT_NE(::mkdtemp(folder), nullptr);
        root = fs::path(folder);
    }
    void TearDown() override { fs::remove_all(root); }

    void MakeFile(const fs::path& path, const std::string& content) {
        std::ofstream(path, std::ios::binary) << content;
    }
    std::set<std::string> Names(const fs::path& folder) {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder))
            names.insert(entry.path().filename());
        return names;
    }

    FileSystem& files = PlatformFileSystem();
    fs::path root;
};

}  // namespace

TEST_F(PosixFileSystemTest, CreateTruncatesAndOpenExistingNeedsTheFile) {
    const std::string name = root / "test0.vexlorn";
    CFile file(files);
    EXPECT_FALSE(file.Open(name, FileSystem::Disposition::openExisting));

    MakeFile(name, std::string(1000, 'x'));
    ASSERT_TRUE(file.Open(name, FileSystem::Disposition::createAlways));
    file.Write("abc", 3);
    file.Close();
    file.Close();  // a closed file object closes once
    EXPECT_EQ(fs::file_size(name), 3u);

    ASSERT_TRUE(file.Open(name, FileSystem::Disposition::openExisting));
    char buffer[8] = {};
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 3u);
    EXPECT_EQ(std::string(buffer, 3), "abc");
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 0u);  // the end reads nothing and raises nothing
}

TEST_F(PosixFileSystemTest, AnOpenTestFileRefusesASecondOpenerWithoutTruncation) {
    const std::string name = root / "test0.vexlorn";
    CFile first(files);
    ASSERT_TRUE(first.Open(name, FileSystem::Disposition::createAlways));
    first.Write("data", 4);

    CFile second(files);
    EXPECT_FALSE(second.Open(name, FileSystem::Disposition::createAlways));
    EXPECT_FALSE(second.Open(name, FileSystem::Disposition::openExisting));
    EXPECT_EQ(fs::file_size(name), 4u);

    first.Close();
    EXPECT_TRUE(second.Open(name, FileSystem::Disposition::openExisting));
}

TEST_F(PosixFileSystemTest, NeverOpensThroughALinkOrAnythingButARegularFile) {
    const fs::path outside = root / "outside.txt";
    MakeFile(outside, "precious");
    fs::create_symlink(outside, root / "test0.vexlorn");
    fs::create_directory(root / "test1.vexlorn");
    ASSERT_EQ(::mkfifo((root / "test2.vexlorn").c_str(), 0600), 0);

    CFile file(files);
    for (const char* name : {"test0.vexlorn", "test1.vexlorn", "test2.vexlorn"}) {
        EXPECT_FALSE(file.Open(root / name, FileSystem::Disposition::createAlways)) << name;
        EXPECT_FALSE(file.Open(root / name, FileSystem::Disposition::openExisting)) << name;
    }
    EXPECT_EQ(fs::file_size(outside), 8u);
}

TEST_F(PosixFileSystemTest, DescriptorsAreNotInherited) {
    const std::string name = root / "test0.vexlorn";
    CFile file(files);
    ASSERT_TRUE(file.Open(name, FileSystem::Disposition::createAlways));
    int found = 0;
    for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        if (fs::read_symlink(entry.path(), error) != name) continue;
        int flags = ::fcntl(std::stoi(entry.path().filename()), F_GETFD);
        EXPECT_TRUE(flags >= 0 && (flags & FD_CLOEXEC));
        ++found;
    }
    EXPECT_EQ(found, 1);
}

TEST_F(PosixFileSystemTest, RemovalTakesEveryTestFileInTheRootAndNothingElse) {
    fs::create_directory(root / "sub");
    fs::create_directory(root / "folder.vexlorn");
    const fs::path outside = root / "sub" / "keep.vexlorn";
    for (const char* name : {"test0.vexlorn", "test17.vexlorn", "OLD.VEXLORN", "photo.Vexlorn",
                             ".vexlorn", "photo.jpg", "vexlorn", "test0.vexlorn.bak"})
        MakeFile(root / name, "x");
    MakeFile(outside, "x");
    fs::create_symlink(outside, root / "link.vexlorn");

    files.StartRemoveFiles(root.string() + "/", ".vexlorn");
    files.WaitForRemovals();

    EXPECT_EQ(Names(root), (std::set<std::string>{"folder.vexlorn", "link.vexlorn", "photo.jpg",
                                                  "sub", "test0.vexlorn.bak", "vexlorn"}));
    EXPECT_TRUE(fs::exists(outside));
}

TEST_F(PosixFileSystemTest, RemovalOfAMissingRootDoesNothing) {
    files.StartRemoveFiles((root / "gone").string() + "/", ".vexlorn");
    files.WaitForRemovals();
    EXPECT_TRUE(fs::exists(root));
}

TEST(PosixFileSystemFull, AWriteThatDoesNotFitRaisesDiskFull) {
    SizeLimitedMount medium("64k");
    SKIP_UNLESS_MOUNTED(medium);
    CFile file(PlatformFileSystem());
    ASSERT_TRUE(file.Open(medium.Root() + "test0.vexlorn", FileSystem::Disposition::createAlways));
    char block[256] = {};
    std::uint64_t written = 0;
    try {
        for (;; written += sizeof block) file.Write(block, sizeof block);
    } catch (const CFileException& failure) {
        EXPECT_EQ(failure.m_cause, CFileException::diskFull) << failure.what();
    }
    EXPECT_EQ(written, 64u * 1024);
    file.Close();
    EXPECT_EQ(fs::file_size(medium.Root() + "test0.vexlorn"), written);
}
