// The program through a whole card test, from pressing 1 to the verdict: once as it starts (its
// application object and start-up, the platform's file system and its own drive listing) on a
// real removable card, and once with its main dialog on a simulated fake that wraps around.
#include <gtest/gtest.h>
#include <sys/statvfs.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "framework/Dialog.h"
#include "framework/ProgramEntry.h"
#include "framework/SimulatedMedium.h"
#include "framework/WinApp.h"
#include "tests/app/posix/RemovableLoopCard.h"
#include "tests/framework/gtk/support/GtkTestSupport.h"
#include "tests/ui/support/MainDialogView.h"
#include "tests/ui/support/WatchedMedium.h"
#include "ui/CardTestDlg.h"

using namespace gtk_test;
namespace fs = std::filesystem;

namespace {

constexpr std::uint64_t MiB = 1024 * 1024;

// Whole MiB as the verdict shows them. Below 128 MiB no value falls on a rounding tie.
std::string Gigabytes(std::uint64_t megabytes) {
    EXPECT_LT(megabytes, 128u);
    char text[16];
    std::snprintf(text, sizeof text, "%.2f", static_cast<double>(megabytes) / 1024);
    return text;
}

std::string SoundVerdict(std::uint64_t written, std::uint64_t verified) {
    return "鉴定结束！ 您的U盘/TF卡/SD卡一切正常！写入数据大小：" + Gigabytes(written) +
           "G\r\n校验正确大小：" + Gigabytes(verified) + "G";
}

// Drives the dialog as its user does: presses 1 (Enter), waits for the write pass to end on the
// full card, presses 3 and (through the installed responder) confirms, and waits for the verdict
// that expectedVerdict, asked once the write pass has ended, names.
void RunWholeTest(CDialog& dialog, const std::function<std::string()>& expectedVerdict,
                  std::chrono::milliseconds limit) {
    GtkWidget* window = WidgetOf(dialog.m_hWnd);
    SendKey(window, GDK_KEY_Return);
    ASSERT_TRUE(ButtonsComeToShow(dialog, false, kWriteCaption, true, limit))
        << "the write pass did not end";
    const std::string verdict = expectedVerdict();
    Click(ControlWidget(dialog, IDC_VERIFY), 1000);
    EXPECT_TRUE(ComesToShow(dialog,
                            MainDialogView{.writeEnabled = false,
                                           .writeCaption = kWriteCaption,
                                           .verifyEnabled = false,
                                           .listEnabled = true,
                                           .status = verdict},
                            limit));
}

class WholeProgramTest : public ::testing::Test {
  protected:
    void TearDown() override { SetMessageBoxResponder(m_previousResponder); }

    // Answers the confirmation with OK, after taking the card out and putting it back when there
    // is one, and keeps what each box showed.
    void AnswerConfirmation(RemovableLoopCard* card) {
        m_previousResponder = SetMessageBoxResponder([this, card](const ShownMessageBox& box) {
            shown.push_back(box);
            if (card) {
                EXPECT_TRUE(card->Eject() && card->ReInsert()) << card->Error();
            }
            return IDOK;
        });
    }

    std::vector<ShownMessageBox> shown;

  private:
    MessageBoxResponder m_previousResponder;
};

}  // namespace

TEST_F(WholeProgramTest, TheProgramFindsARealCardFillsItAndFindsItSound) {
    RemovableLoopCard card(40 * MiB);
    SKIP_UNLESS_READY(card);
    StartWindowSystem();
    std::ofstream(card.Root() + "photo.jpg") << "the user's own file";
    struct statvfs space {};
    ASSERT_EQ(::statvfs(card.Root().c_str(), &space), 0);
    const std::uint64_t freeBytes = static_cast<std::uint64_t>(space.f_bavail) * space.f_frsize;
    const std::string test0 = card.Root() + "test0.vexlorn";
    AnswerConfirmation(&card);

    auto DriveTheProgram = [&](CDialog& dialog) {
        EXPECT_EQ(AfxGetApp()->m_pMainWnd, &dialog);
        ASSERT_EQ(DriveListItems(dialog), std::vector<std::string>{card.Root()});
        ASSERT_EQ(DriveListSelection(dialog), 0);
        RunWholeTest(
            dialog,
            [&] {
                // Full: what was free, but for what the file system keeps for the file.
                const std::uint64_t written = fs::file_size(test0);
                EXPECT_LE(written, freeBytes);
                EXPECT_GE(written + MiB, freeBytes);
                EXPECT_FALSE(fs::exists(card.Root() + "test1.vexlorn"));
                return SoundVerdict(written / MiB, written / MiB);
            },
            std::chrono::seconds(60));
        EXPECT_TRUE(PumpUntil([&] { return !fs::exists(test0); }, std::chrono::seconds(10)))
            << "the test files were not cleaned up";
        EXPECT_TRUE(fs::exists(card.Root() + "photo.jpg"));
    };
    bool driven = false;
    ModalWatchdog watchdog(std::chrono::seconds(120));
    WhenTrue(
        [] {
            CDialog* dialog = AfxGetActiveModalDialog();
            return dialog && gtk_widget_get_mapped(WidgetOf(dialog->m_hWnd));
        },
        [&] {
            driven = true;
            CDialog& dialog = *AfxGetActiveModalDialog();
            DriveTheProgram(dialog);
            SendKey(WidgetOf(dialog.m_hWnd), GDK_KEY_Escape);
        },
        std::chrono::seconds(10));
    // The framework's entry as the program's main calls it, with the program's own path.
    EXPECT_EQ(AfxWinMain(VEXLORN_PROGRAM_PATH), 0);
    EXPECT_TRUE(driven);
    EXPECT_EQ(AfxGetApp()->m_pszAppName, "Vexlorn");
    EXPECT_EQ(AfxGetApp()->m_pMainWnd, nullptr);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "确认优盘/TF卡/SD卡弹出过并插回来了吗？");
    EXPECT_EQ(shown[0].caption, "Vexlorn");
}

TEST_F(WholeProgramTest, TheMainDialogFindsAWrapAroundFakeFaulty) {
    StartWindowSystem();
    SimulatedMedium card("sim:/", {.reportedBytes = 40 * MiB, .realBytes = 16 * MiB});
    WatchedMedium medium(card);
    AnswerConfirmation(nullptr);
    CCardTestDlg dialog(medium, [] { return std::vector<std::string>{"sim:/"}; });
    RunDialog(dialog, [&] {
        ASSERT_TRUE(PumpUntil([&] { return gtk_widget_get_mapped(WidgetOf(dialog.m_hWnd)); }));
        // The data written past 16 MiB lands on the start of test0.
        RunWholeTest(
            dialog,
            [] {
                return std::string(
                    "鉴定结束！ 您的U盘/TF卡/SD卡有问题！写入数据大小：0.04G\r\n校验正确大小：0.00G"
                    "\r\n请找商家退货或者不向优盘拷贝大于校验正确大小的数据量！");
            },
            std::chrono::seconds(10));
        ASSERT_TRUE(medium.WaitForWorkersToEnd());
        EXPECT_TRUE(card.FileNames().empty());
        dialog.EndDialog(IDCANCEL);
    });
    EXPECT_EQ(shown.size(), 1u);
}
