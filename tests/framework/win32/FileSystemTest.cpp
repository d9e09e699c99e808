// The Win32 file layer on the real file system, under Wine.
#include "framework/win32/Win32Api.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "framework/File.h"
#include "support/win32/TestDrive.h"

namespace fs = std::filesystem;

namespace {

std::string Utf8(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

class Win32FileSystemTest : public ::testing::Test {
  protected:
    void SetUp() override {
        root =
            fs::temp_directory_path() / ("vexlorn-files-" + std::to_string(GetCurrentProcessId()) +
                                         "-" + std::to_string(GetTickCount()));
        ASSERT_TRUE(fs::create_directory(root));
    }
    void TearDown() override { fs::remove_all(root); }

    static void MakeFile(const fs::path& path, const std::string& content) {
        std::ofstream(path, std::ios::binary) << content;
    }
    static std::set<std::wstring> Names(const fs::path& folder) {
        std::set<std::wstring> names;
        for (const auto& entry : fs::directory_iterator(folder))
            names.insert(entry.path().filename().wstring());
        return names;
    }
    // The folder as the framework takes roots: UTF-8, ending in a backslash.
    static std::string RootText(const fs::path& folder) { return Utf8(folder) + "\\"; }

    FileSystem& files = PlatformFileSystem();
    fs::path root;
};

}  // namespace

TEST_F(Win32FileSystemTest, CreateTruncatesAndOpenExistingNeedsTheFile) {
    const std::string name = Utf8(root / "test0.vexlorn");
    CFile file(files);
    EXPECT_FALSE(file.Open(name, FileSystem::Disposition::openExisting));

    MakeFile(root / "test0.vexlorn", std::string(1000, 'x'));
    ASSERT_TRUE(file.Open(name, FileSystem::Disposition::createAlways));
    file.Write("abc", 3);
    file.Close();
    file.Close();  // a closed file object closes once
    EXPECT_EQ(fs::file_size(root / "test0.vexlorn"), 3u);

    ASSERT_TRUE(file.Open(name, FileSystem::Disposition::openExisting));
    char buffer[8] = {};
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 3u);
    EXPECT_EQ(std::string(buffer, 3), "abc");
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 0u);  // the end reads nothing and raises nothing
}

TEST_F(Win32FileSystemTest, AnOpenTestFileAdmitsNoOtherOpener) {
    const fs::path path = root / "test0.vexlorn";
    CFile first(files);
    ASSERT_TRUE(first.Open(Utf8(path), FileSystem::Disposition::createAlways));
    first.Write("data", 4);

    CFile second(files);
    EXPECT_FALSE(second.Open(Utf8(path), FileSystem::Disposition::createAlways));
    EXPECT_FALSE(second.Open(Utf8(path), FileSystem::Disposition::openExisting));
    // Not even another program that only reads and shares everything.
    HANDLE reader = CreateFileW(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_EQ(reader, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    if (reader != INVALID_HANDLE_VALUE) CloseHandle(reader);

    first.Close();
    EXPECT_EQ(fs::file_size(path), 4u);
    EXPECT_TRUE(second.Open(Utf8(path), FileSystem::Disposition::openExisting));
}

TEST_F(Win32FileSystemTest, TheHandleIsInheritable) {
    CFile file(files);
    ASSERT_TRUE(file.Open(Utf8(root / "test0.vexlorn"), FileSystem::Disposition::createAlways));
    // Find the handle among the process's own by the file it refers to.
    int inheritable = 0;
    for (ULONG_PTR value = 4; value < 4096; value += 4) {
        HANDLE handle = reinterpret_cast<HANDLE>(value);
        DWORD flags = 0;
        BY_HANDLE_FILE_INFORMATION information;
        if (!GetHandleInformation(handle, &flags) || GetFileType(handle) != FILE_TYPE_DISK ||
            !GetFileInformationByHandle(handle, &information))
            continue;
        wchar_t path[MAX_PATH];
        const DWORD length = GetFinalPathNameByHandleW(handle, path, MAX_PATH, 0);
        if (length == 0 || length >= MAX_PATH ||
            std::wstring(path, length).find(L"test0.vexlorn") == std::wstring::npos)
            continue;
        EXPECT_NE(flags & HANDLE_FLAG_INHERIT, 0u);
        ++inheritable;
    }
    EXPECT_EQ(inheritable, 1);
}

TEST_F(Win32FileSystemTest, OpensNothingButAFileOnADisk) {
    fs::create_directory(root / "test1.vexlorn");
    // The system itself opens a device name in any folder, as the device.
    HANDLE device = CreateFileW((root / "NUL").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(device, INVALID_HANDLE_VALUE);
    EXPECT_NE(GetFileType(device), static_cast<DWORD>(FILE_TYPE_DISK));
    CloseHandle(device);

    CFile file(files);
    for (const char* name : {"test1.vexlorn", "NUL", "CON", "nul.vexlorn", "COM1"}) {
        EXPECT_FALSE(file.Open(Utf8(root / name), FileSystem::Disposition::createAlways)) << name;
        EXPECT_FALSE(file.Open(Utf8(root / name), FileSystem::Disposition::openExisting)) << name;
    }
    EXPECT_EQ(Names(root), std::set<std::wstring>{L"test1.vexlorn"});
}

TEST_F(Win32FileSystemTest, NamesReachWindowsAsUnicodeWhateverTheCodePage) {
    const fs::path folder = root / L"卡测试";
    fs::create_directory(folder);
    CFile file(files);
    ASSERT_TRUE(
        file.Open(RootText(folder) + "test0.vexlorn", FileSystem::Disposition::createAlways));
    file.Write("abc", 3);
    file.Close();
    EXPECT_EQ(Names(root), std::set<std::wstring>{L"卡测试"});
    EXPECT_EQ(fs::file_size(folder / "test0.vexlorn"), 3u);

    // Text that is not UTF-8 names no file.
    EXPECT_FALSE(
        file.Open(RootText(root) + "\xBF\xA8.vexlorn", FileSystem::Disposition::createAlways));
    EXPECT_EQ(Names(root), std::set<std::wstring>{L"卡测试"});
}

TEST_F(Win32FileSystemTest, RemovalTakesEveryTestFileInTheRootAndNothingElse) {
    fs::create_directory(root / "sub");
    fs::create_directory(root / "folder.vexlorn");
    MakeFile(root / "folder.vexlorn" / "inside.txt", "x");
    MakeFile(root / "sub" / "keep.vexlorn", "x");
    for (const wchar_t* name :
         {L"test0.vexlorn", L"test17.vexlorn", L"OLD.VEXLORN", L"photo.Vexlorn", L".vexlorn",
          L"照片.vexlorn", L"photo.jpg", L"vexlorn", L"test0.vexlorn.bak", L"test0.vexlornx"})
        MakeFile(root / name, "x");

    files.StartRemoveFiles(RootText(root), ".vexlorn");
    files.WaitForRemovals();

    EXPECT_EQ(Names(root),
              (std::set<std::wstring>{L"folder.vexlorn", L"photo.jpg", L"sub", L"test0.vexlorn.bak",
                                      L"test0.vexlornx", L"vexlorn"}));
    EXPECT_TRUE(fs::exists(root / "folder.vexlorn" / "inside.txt"));
    EXPECT_TRUE(fs::exists(root / "sub" / "keep.vexlorn"));
}

TEST_F(Win32FileSystemTest, RemovalInAFolderWithAUnicodeName) {
    const fs::path folder = root / L"卡测试";
    fs::create_directory(folder);
    MakeFile(folder / "test0.vexlorn", "x");
    MakeFile(folder / "photo.jpg", "x");

    files.StartRemoveFiles(RootText(folder), ".vexlorn");
    files.WaitForRemovals();

    EXPECT_EQ(Names(folder), std::set<std::wstring>{L"photo.jpg"});
}

TEST_F(Win32FileSystemTest, ARootThatWouldChangeTheCommandRemovesNothing) {
    // Unquoted by cmd, "...\a b\*.vexlorn" would be two names, and del given the folder "...\a"
    // would empty it.
    fs::create_directory(root / "a");
    MakeFile(root / "a" / "precious.txt", "x");
    fs::create_directory(root / "a b");
    MakeFile(root / "a b" / "test0.vexlorn", "x");

    files.StartRemoveFiles(RootText(root / "a b"), ".vexlorn");
    files.WaitForRemovals();

    EXPECT_TRUE(fs::exists(root / "a" / "precious.txt"));
    EXPECT_TRUE(fs::exists(root / "a b" / "test0.vexlorn"));
}

TEST_F(Win32FileSystemTest, RemovalOfAMissingRootDoesNothing) {
    MakeFile(root / "test0.vexlorn", "x");
    files.StartRemoveFiles(RootText(root / "gone"), ".vexlorn");
    files.WaitForRemovals();
    EXPECT_TRUE(fs::exists(root / "test0.vexlorn"));
}

TEST(Win32FileSystemFull, AWriteThatDoesNotFitRaisesDiskFull) {
    TestDrive drive;
    USE_TEST_DRIVE(drive);
    const std::uint64_t free = drive.FreeBytes();
    CFile file(PlatformFileSystem());
    ASSERT_TRUE(file.Open(drive.Root() + "test0.vexlorn", FileSystem::Disposition::createAlways));
    char block[256] = {};
    std::uint64_t written = 0;
    try {
        for (;; written += sizeof block) file.Write(block, sizeof block);
    } catch (const CFileException& failure) {
        EXPECT_EQ(failure.m_cause, CFileException::diskFull) << failure.what();
        EXPECT_EQ(failure.m_lOsError, ERROR_DISK_FULL);
    }
    EXPECT_EQ(written, free);
    file.Close();
    EXPECT_EQ(fs::file_size(drive.Root() + "test0.vexlorn"), written);
}
