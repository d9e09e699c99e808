// Vexlorn.exe from start to verdict under Wine, driven from outside as a person drives it: on the
// removable test drive it fills the drive, asks before verifying, verifies, gives the sound
// verdict with the size actually written, and removes its test files; its system menu opens the
// About box; the close box ends it.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <thread>

#include "app/win32/RunningProgram.h"
#include "engine/StatusText.h"
#include "res/resource.h"
#include "support/win32/TestDrive.h"

namespace {

using std::chrono::seconds;

constexpr char kMainCaption[] = "Quendral2014";
constexpr char kAboutCaption[] = "关于 Quendral2014";
constexpr char kReadyText[] = "请一定按步骤进行鉴定！弹出TF卡/U盘/SD卡会比较慢，等耐心等候！";

std::string Item(HWND dialog, int id) {
    return WindowText(GetDlgItem(dialog, id));
}

bool Enabled(HWND dialog, int id) {
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

// The test files on the drive and their bytes.
struct TestFilesOnDrive {
    int count = 0;
    std::uint64_t bytes = 0;
};
TestFilesOnDrive FindTestFiles(const std::string& root) {
    TestFilesOnDrive files;
    WIN32_FIND_DATAW found;
    const std::wstring pattern = WideFromUtf8(root + "*.vexlorn").value();
    HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return files;
    do {
        ++files.count;
        files.bytes += (static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return files;
}

std::string SoundVerdict(std::uint64_t bytes) {
    const std::string gigabytes = FormatGigabytes(static_cast<std::uint32_t>(bytes >> 20));
    char text[512];
    std::snprintf(text, sizeof text, kSoundVerdictFormat, std::stod(gigabytes),
                  std::stod(gigabytes));
    return text;
}

// Each test starts the program and, once it has seen what it tests, ends it as a person would.
// The test drive is taken first, so that the program finds it and the drive's clean-up comes
// after the program has gone.
class WholeProgram : public ::testing::Test {
  protected:
    void Start() {
        m_program.emplace(VEXLORN_PROGRAM_PATH);
        ASSERT_TRUE(m_program->Started()) << m_program->Error();
        m_dialog = m_program->WaitForDialog(kMainCaption);
        ASSERT_NE(m_dialog, nullptr) << "the main dialog did not appear";
    }

    // Posts the message to the main dialog, which should end the program with status 0.
    void ExpectEndedBy(UINT message, WPARAM wParam, const char* what) {
        PostMessageW(m_dialog, message, wParam, 0);
        const std::optional<DWORD> status = m_program->WaitForExit(seconds(30));
        ASSERT_TRUE(status.has_value()) << what << " did not end the program";
        EXPECT_EQ(*status, 0u);
    }

    TestDrive m_drive;
    std::optional<RunningProgram> m_program;
    HWND m_dialog = nullptr;
};

}  // namespace

TEST_F(WholeProgram, FillsTheDriveVerifiesGivesTheSoundVerdictAndRemovesItsFiles) {
    const TestDrive& drive = m_drive;
    USE_TEST_DRIVE(drive);
    ASSERT_NO_FATAL_FAILURE(Start());
    const RunningProgram& program = *m_program;
    const HWND dialog = m_dialog;

    // Ready: the texts of the template, the test drive listed and chosen.
    EXPECT_EQ(Item(dialog, IDOK), "1.写入数据");
    EXPECT_EQ(Item(dialog, IDC_VERIFY), "3.数据检验");
    EXPECT_EQ(Item(dialog, IDC_STATUS), kReadyText);
    EXPECT_EQ(Item(dialog, IDC_LINK),
              "我刚发现一个很好很好玩的网站，1元就能买iPhone 5s哦，快去看看吧！");
    EXPECT_TRUE(Enabled(dialog, IDOK));
    EXPECT_FALSE(Enabled(dialog, IDC_VERIFY));
    const HWND drives = GetDlgItem(dialog, IDC_DRIVES);
    const std::vector<std::string> entries = ComboEntries(drives);
    const auto selected = SendMessageW(drives, CB_GETCURSEL, 0, 0);
    ASSERT_EQ(entries, std::vector<std::string>{drive.Root()});
    ASSERT_EQ(selected, 0);

    // Writing until the drive is full: the button stops, the status shows the size written.
    Press(GetDlgItem(dialog, IDOK));
    EXPECT_TRUE(WaitUntil([&] { return Item(dialog, IDOK) == "1.停止写入"; }, seconds(30)));
    EXPECT_TRUE(WaitUntil([&] { return Item(dialog, IDC_STATUS).starts_with("已写入数据大小："); },
                          seconds(30)))
        << Item(dialog, IDC_STATUS);
    ASSERT_TRUE(WaitUntil([&] { return Enabled(dialog, IDC_VERIFY); }, seconds(900)))
        << "the write pass did not end; status: " << Item(dialog, IDC_STATUS);
    EXPECT_FALSE(Enabled(dialog, IDOK));
    EXPECT_EQ(Item(dialog, IDOK), "1.写入数据");
    const TestFilesOnDrive written = FindTestFiles(drive.Root());
    ASSERT_GE(written.count, 1);
    EXPECT_LT(drive.FreeBytes(), 1u << 20) << "the drive was not filled";

    // The question before verifying, owned by the dialog, in Chinese whatever the system's
    // language; the dialog takes no input while it is up.
    Press(GetDlgItem(dialog, IDC_VERIFY));
    const HWND question = program.WaitForDialog("Vexlorn", dialog, seconds(30));
    ASSERT_NE(question, nullptr) << "no question before verifying";
    EXPECT_EQ(Item(question, 0xFFFF), kReinsertQuestion);
    EXPECT_EQ(Item(question, IDOK), "确定");
    EXPECT_EQ(Item(question, IDCANCEL), "取消");
    EXPECT_FALSE(IsWindowEnabled(dialog));
    Press(GetDlgItem(question, IDOK));

    // The verdict, with the size on the drive, and the test files gone afterwards.
    const std::string verdict = SoundVerdict(written.bytes);
    ASSERT_TRUE(WaitUntil([&] { return Item(dialog, IDC_STATUS) == verdict; }, seconds(900)))
        << "status: " << Item(dialog, IDC_STATUS) << "\nexpected: " << verdict;
    EXPECT_FALSE(Enabled(dialog, IDOK));
    EXPECT_FALSE(Enabled(dialog, IDC_VERIFY));
    EXPECT_TRUE(WaitUntil([&] { return FindTestFiles(drive.Root()).count == 0; }, seconds(60)))
        << FindTestFiles(drive.Root()).count << " test files stayed on the drive";

    ExpectEndedBy(WM_SYSCOMMAND, SC_CLOSE, "the close box");
}

// Keys as the dialog manager takes them: Enter presses the default button, Esc cancels.
TEST_F(WholeProgram, StoppedEarlyTheQuestionCanBeDeclinedAndTheVerdictCoversWhatWasWritten) {
    const TestDrive& drive = m_drive;
    USE_TEST_DRIVE(drive);
    ASSERT_NO_FATAL_FAILURE(Start());
    const RunningProgram& program = *m_program;
    const HWND dialog = m_dialog;

    PostMessageW(dialog, WM_KEYDOWN, VK_RETURN, 0);
    ASSERT_TRUE(WaitUntil([&] { return Item(dialog, IDC_STATUS).starts_with("已写入数据大小："); },
                          seconds(30)))
        << "Enter started no write pass; status: " << Item(dialog, IDC_STATUS);
    Press(GetDlgItem(dialog, IDOK));
    ASSERT_TRUE(WaitUntil([&] { return Item(dialog, IDOK) == "1.写入数据"; }, seconds(30)));
    EXPECT_TRUE(Enabled(dialog, IDC_VERIFY));
    EXPECT_FALSE(Enabled(dialog, IDOK));
    // The writer finishes the block in hand and closes its file.
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const TestFilesOnDrive written = FindTestFiles(drive.Root());
    ASSERT_GE(written.count, 1);
    EXPECT_GT(drive.FreeBytes(), 1u << 20) << "the write pass ran until the drive was full";

    // Declined: nothing is verified, nothing removed, and the question can be asked again.
    Press(GetDlgItem(dialog, IDC_VERIFY));
    HWND question = program.WaitForDialog("Vexlorn", dialog, seconds(30));
    ASSERT_NE(question, nullptr) << "no question before verifying";
    Press(GetDlgItem(question, IDCANCEL));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(dialog) != FALSE; }, seconds(30)));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_TRUE(Enabled(dialog, IDC_VERIFY));
    EXPECT_FALSE(Item(dialog, IDC_STATUS).starts_with("鉴定结束！"));
    EXPECT_EQ(FindTestFiles(drive.Root()).bytes, written.bytes);

    Press(GetDlgItem(dialog, IDC_VERIFY));
    question = program.WaitForDialog("Vexlorn", dialog, seconds(30));
    ASSERT_NE(question, nullptr) << "no question the second time";
    Press(GetDlgItem(question, IDOK));
    const std::string verdict = SoundVerdict(written.bytes);
    ASSERT_TRUE(WaitUntil([&] { return Item(dialog, IDC_STATUS) == verdict; }, seconds(900)))
        << "status: " << Item(dialog, IDC_STATUS) << "\nexpected: " << verdict;
    EXPECT_TRUE(WaitUntil([&] { return FindTestFiles(drive.Root()).count == 0; }, seconds(60)));

    ExpectEndedBy(WM_KEYDOWN, VK_ESCAPE, "Esc");
}

TEST_F(WholeProgram, TheSystemMenuOpensTheAboutBoxOverTheDisabledDialog) {
    ASSERT_NO_FATAL_FAILURE(Start());
    const RunningProgram& program = *m_program;
    const HWND dialog = m_dialog;

    // The title bar's menu, opened with the keyboard (Alt+Space), has the entry last: Up from its
    // first entry goes there. (Wine shows no process another's menus, so the menu is used, not
    // read, and Wine's own "About Wine" entry shares the access key A.)
    PostMessageW(dialog, WM_SYSCOMMAND, SC_KEYMENU, ' ');
    ASSERT_TRUE(WaitUntil([&] { return program.HasVisibleWindowOfClass("#32768"); }, seconds(30)))
        << "the system menu did not open";
    PostMessageW(dialog, WM_KEYDOWN, VK_UP, 0);
    PostMessageW(dialog, WM_KEYDOWN, VK_RETURN, 0);
    const HWND about = program.WaitForDialog(kAboutCaption, dialog, seconds(30));
    ASSERT_NE(about, nullptr) << "no About box";
    EXPECT_FALSE(IsWindowEnabled(dialog));
    // The icon first, then the texts (an icon's own text is its resource number).
    const HWND icon = GetWindow(about, GW_CHILD);
    EXPECT_NE(SendMessageW(icon, STM_GETICON, 0, 0), 0) << "the About box shows no icon";
    std::vector<std::string> texts;
    for (HWND child = GetWindow(icon, GW_HWNDNEXT); child; child = GetWindow(child, GW_HWNDNEXT))
        texts.push_back(WindowText(child));
    EXPECT_EQ(texts,
              (std::vector<std::string>{"Quendral2014版", "Copyright (C) 2026 Vexlorn", "确定"}));

    // Enter presses its default button; the dialog takes input again.
    PostMessageW(GetDlgItem(about, IDOK), WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about); }, seconds(30)));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(dialog) != FALSE; }, seconds(30)));

    ExpectEndedBy(WM_SYSCOMMAND, SC_CLOSE, "the close box");
}
