// The main dialog through whole card tests on simulated cards, driven by synthesised input: its
// states row by row, Enter as the write button, the confirmation before the verify pass, a drive
// chosen between the passes, an empty drive list, the About entry, a failing handler, closing
// during either pass, and a verify pass confirmed while the write worker is still finishing.
#include "ui/CardTestDlg.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <map>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/Dialog.h"
#include "framework/SimulatedMedium.h"
#include "framework/WinApp.h"
#include "framework/gtk/GtkBackend.h"
#include "res/resource.h"
#include "tests/framework/gtk/support/GtkTestSupport.h"
#include "tests/ui/support/MainDialogView.h"
#include "tests/ui/support/WatchedMedium.h"

using namespace gtk_test;

namespace {

constexpr std::uint64_t MiB = 1024 * 1024;
constexpr char kRoot[] = "sim:/";
constexpr char kTest0[] = "sim:/test0.vexlorn";
constexpr char kReinsertQuestionText[] = "确认优盘/TF卡/SD卡弹出过并插回来了吗？";

using Disposition = FileSystem::Disposition;

CCardTestDlg::DriveLister Drives(std::vector<std::string> roots) {
    return [roots] { return roots; };
}

// A row of the state table; the drive list stays enabled in every state.
MainDialogView View(bool writeEnabled, const char* writeCaption, bool verifyEnabled,
                    std::string status) {
    return MainDialogView{.writeEnabled = writeEnabled,
                          .writeCaption = writeCaption,
                          .verifyEnabled = verifyEnabled,
                          .listEnabled = true,
                          .status = std::move(status)};
}

const MainDialogView kReady = View(true, kWriteCaption, false, kTemplateStatus);

GtkWidget* Window(const CDialog& dialog) {
    return WidgetOf(dialog.m_hWnd);
}

// Clicks a control, each click later than the one before (so no two make a double click).
void Press(GtkWidget* control) {
    static guint32 time = 100000;
    time += 1000;
    Click(control, time);
}

bool ModalLoopRunning(const CDialog& dialog) {
    return dialog.m_hWnd && g_main_loop_is_running(dialog.m_hWnd->dialog->modalLoop);
}

// Waits inside the modal loop until the dialog is on the screen.
::testing::AssertionResult Mapped(const CDialog& dialog) {
    if (PumpUntil([&] { return gtk_widget_get_mapped(Window(dialog)); })) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "the dialog was never shown";
}

// Lets a few status ticks pass (each 100 ms).
void LetTicksPass() {
    PumpUntil([] { return false; }, std::chrono::milliseconds(350));
}

class CardTestDlgTest : public ::testing::Test {
  protected:
    void SetUp() override { StartWindowSystem(); }
};

}  // namespace

TEST_F(CardTestDlgTest, StateTableRowByRowWhenTheUserStopsTheWritePass) {
    SimulatedMedium card(kRoot, {.reportedBytes = 32 * MiB});
    WatchedMedium medium(card);
    // The write worker waits before its first block past 21 MiB, its read back before the first
    // block past 6 MiB: the states in between hold still while they are looked at.
    medium.HoldWritesAfter(21 * MiB);
    MessageBoxAnswers confirming(IDOK);
    CCardTestDlg dialog(medium, Drives({kRoot, "sim2:/"}));
    RunDialog(dialog, [&] {
        ASSERT_TRUE(Mapped(dialog));
        GtkWidget* write = ControlWidget(dialog, IDOK);
        GtkWidget* verify = ControlWidget(dialog, IDC_VERIFY);

        // Ready.
        EXPECT_TRUE(ComesToShow(dialog, kReady));
        EXPECT_TRUE(gtk_widget_has_default(write));
        EXPECT_EQ(gtk_window_get_focus(GTK_WINDOW(Window(dialog))), write);
        EXPECT_EQ(DriveListItems(dialog), (std::vector<std::string>{kRoot, "sim2:/"}));
        EXPECT_EQ(DriveListSelection(dialog), 0);
        LetTicksPass();
        EXPECT_EQ(ViewOf(dialog), kReady) << "no pass runs: the template text stays";

        // Writing, after the first press.
        Press(write);
        ASSERT_TRUE(PumpUntil([&] { return medium.Holding(); }));
        EXPECT_TRUE(ComesToShow(dialog, View(true, kStopCaption, false, "已写入数据大小：0.02G")))
            << "Writing";

        // Write ended, by the user's stop.
        const MainDialogView writeEnded = View(false, kWriteCaption, true, "已写入数据大小：0.02G");
        Press(write);
        EXPECT_TRUE(ComesToShow(dialog, writeEnded)) << "Write ended";
        EXPECT_EQ(dialog.Run().m_bWriteDone, 0u) << "the dialog changed the buttons itself";
        // The worker finishes the block in hand and ends; its end repeats the same changes.
        medium.Release();
        ASSERT_TRUE(PumpUntil([&] { return medium.WorkersEnded() == 1; }));
        PumpPending();
        LetTicksPass();
        EXPECT_EQ(ViewOf(dialog), writeEnded) << "Write ended, after the worker's end";
        EXPECT_EQ(card.FileSize(kTest0), 21 * MiB + 256);

        // Verifying, after the confirmation.
        medium.HoldReadsAfter(6 * MiB + 256);
        Press(verify);
        ASSERT_TRUE(PumpUntil([&] { return medium.Holding(); }));
        EXPECT_TRUE(ComesToShow(dialog, View(false, kWriteCaption, false,
                                             "已写入数据大小：0.02G\r\n已校验正确大小：0.01G")))
            << "Verifying";

        // Verdict.
        medium.Release();
        const MainDialogView verdict = View(
            false, kWriteCaption, false,
            "鉴定结束！ 您的U盘/TF卡/SD卡一切正常！写入数据大小：0.02G\r\n校验正确大小：0.02G");
        EXPECT_TRUE(ComesToShow(dialog, verdict)) << "Verdict";
        EXPECT_EQ(ShownStatus(dialog),
                  "鉴定结束！ 您的U盘/TF卡/SD卡一切正常！写入数据大小：0.02G\n校验正确大小：0.02G");
        ASSERT_TRUE(medium.WaitForWorkersToEnd());
        EXPECT_EQ(medium.RemovalRoots(), std::vector<std::string>{kRoot});
        EXPECT_TRUE(card.FileNames().empty());
        LetTicksPass();
        EXPECT_EQ(ViewOf(dialog), verdict) << "no state returns to Ready";
        dialog.EndDialog(IDCANCEL);
    });
    EXPECT_EQ(confirming.shown.size(), 1u);
}

TEST_F(CardTestDlgTest, AFullCardEndsTheWritePassAndGetsItsVerdict) {
    struct Case {
        const char* what;
        SimulatedMediumConfig card;
        const char* written;
        const char* verdict;
    } cases[] = {
        {"an honest card of 24 MiB",
         {.reportedBytes = 24 * MiB},
         "已写入数据大小：0.02G",
         "鉴定结束！ 您的U盘/TF卡/SD卡一切正常！写入数据大小：0.02G\r\n校验正确大小：0.02G"},
        // What lands past 16 MiB overwrites the start of test0.
        {"a fake of 40 MiB that wraps around after 16 MiB",
         {.reportedBytes = 40 * MiB, .realBytes = 16 * MiB},
         "已写入数据大小：0.04G",
         "鉴定结束！ 您的U盘/TF卡/SD卡有问题！写入数据大小：0.04G\r\n校验正确大小：0.00G\r\n"
         "请找商家退货或者不向优盘拷贝大于校验正确大小的数据量！"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SimulatedMedium card(kRoot, c.card);
        WatchedMedium medium(card);
        // Held for the status timer to show the size written 1 MiB before the end (the same text
        // as at the end), then written to the end without a stop.
        medium.HoldWritesAfter(c.card.reportedBytes - MiB);
        MessageBoxAnswers confirming(IDOK);
        CCardTestDlg dialog(medium, Drives({kRoot}));
        RunDialog(dialog, [&] {
            ASSERT_TRUE(Mapped(dialog));
            ASSERT_TRUE(ComesToShow(dialog, kReady));
            SendKey(Window(dialog), GDK_KEY_Return);
            ASSERT_TRUE(PumpUntil([&] { return medium.Holding(); }));
            ASSERT_TRUE(ComesToShow(dialog, View(true, kStopCaption, false, c.written)));
            medium.Release();
            EXPECT_TRUE(ComesToShow(dialog, View(false, kWriteCaption, true, c.written)));
            EXPECT_EQ(dialog.Run().m_bWriteDone, 1u) << "the worker's own end, not a stop";
            EXPECT_EQ(card.FileSize(kTest0), c.card.reportedBytes);

            Press(ControlWidget(dialog, IDC_VERIFY));
            EXPECT_TRUE(ComesToShow(dialog, View(false, kWriteCaption, false, c.verdict)));
            ASSERT_TRUE(medium.WaitForWorkersToEnd());
            EXPECT_TRUE(card.FileNames().empty());
            dialog.EndDialog(IDCANCEL);
        });
        EXPECT_EQ(confirming.shown.size(), 1u);
    }
}

TEST_F(CardTestDlgTest, EnterStartsThenStopsTheWritePassAndNeverClosesTheDialog) {
    SimulatedMedium card(kRoot, {.reportedBytes = 16 * MiB});
    WatchedMedium medium(card);
    medium.HoldWritesAfter(2 * MiB);
    CCardTestDlg dialog(medium, Drives({kRoot}));
    const std::intptr_t result = RunDialog(dialog, [&] {
        ASSERT_TRUE(Mapped(dialog));
        GtkWidget* window = Window(dialog);
        SendKey(window, GDK_KEY_Return);
        ASSERT_TRUE(PumpUntil([&] { return medium.Holding(); }));
        EXPECT_TRUE(ComesToShow(dialog, View(true, kStopCaption, false, "已写入数据大小：0.00G")));
        EXPECT_TRUE(ModalLoopRunning(dialog));

        SendKey(window, GDK_KEY_Return);
        const MainDialogView stopped = View(false, kWriteCaption, true, "已写入数据大小：0.00G");
        EXPECT_TRUE(ComesToShow(dialog, stopped));
        EXPECT_TRUE(ModalLoopRunning(dialog));
        medium.Release();
        ASSERT_TRUE(medium.WaitForWorkersToEnd());
        EXPECT_EQ(card.FileSize(kTest0), 2 * MiB + 256) << "stopped after the block in hand";

        // The write button is disabled now: a further Enter does nothing at all.
        SendKey(window, GDK_KEY_Return);
        LetTicksPass();
        EXPECT_TRUE(ModalLoopRunning(dialog));
        EXPECT_EQ(ViewOf(dialog), stopped);
        EXPECT_EQ(medium.Opened(Disposition::createAlways), std::vector<std::string>{kTest0});
        SendKey(window, GDK_KEY_Escape);
    });
    EXPECT_EQ(result, IDCANCEL);
}

TEST_F(CardTestDlgTest, CancellingTheConfirmationStartsNothingAndLeavesVerifyEnabled) {
    CWinApp app("CardChecker");
    SimulatedMedium card(kRoot, {.reportedBytes = 8 * MiB});
    WatchedMedium medium(card);
    CCardTestDlg dialog(medium, Drives({kRoot}));
    RunDialog(dialog, [&] {
        ASSERT_TRUE(Mapped(dialog));
        SendKey(Window(dialog), GDK_KEY_Return);
        ASSERT_TRUE(ButtonsComeToShow(dialog, false, kWriteCaption, true));
        ASSERT_TRUE(medium.WaitForWorkersToEnd());
        const MainDialogView writeEnded = ViewOf(dialog);
        GtkWidget* verify = ControlWidget(dialog, IDC_VERIFY);
        {
            MessageBoxAnswers cancelling(IDCANCEL);
            Press(verify);
            ASSERT_TRUE(PumpUntil([&] { return cancelling.shown.size() == 1; }));
            const ShownMessageBox& box = cancelling.shown[0];
            EXPECT_EQ(box.text, kReinsertQuestionText);
            EXPECT_EQ(box.caption, "CardChecker") << "the application's name";
            EXPECT_EQ(box.buttons, (std::vector<std::string>{"确定", "取消"}));
            EXPECT_FALSE(box.hasIcon);
            EXPECT_TRUE(box.modal);
            EXPECT_EQ(box.owner, dialog.m_hWnd);
            EXPECT_FALSE(box.ownerEnabled);

            LetTicksPass();
            EXPECT_EQ(ViewOf(dialog), writeEnded);
            EXPECT_EQ(dialog.Run().m_bStopVerify, 1u);
            EXPECT_TRUE(medium.Opened(Disposition::openExisting).empty());
            EXPECT_EQ(medium.Workers(), 1) << "no verify worker was started";
        }
        // Pressed again later, the confirmed verify pass runs.
        MessageBoxAnswers confirming(IDOK);
        Press(verify);
        EXPECT_TRUE(ComesToShow(
            dialog, View(false, kWriteCaption, false,
                         "鉴定结束！ "
                         "您的U盘/TF卡/SD卡一切正常！写入数据大小：0.01G\r\n校验正确大小：0.01G")));
        EXPECT_EQ(confirming.shown.size(), 1u);
        dialog.EndDialog(IDCANCEL);
    });
}

namespace {

// Several drives behind one file system: a name goes to the medium whose root it begins with.
class DriveRouter final : public FileSystem {
  public:
    void Add(const std::string& root, FileSystem& medium) { m_drives.emplace(root, &medium); }

    std::unique_ptr<OpenFile> Open(const std::string& name, Disposition disposition) override {
        FileSystem* medium = MediumOf(name);
        return medium ? medium->Open(name, disposition) : nullptr;
    }
    void StartRemoveFiles(const std::string& root, const std::string& suffix) override {
        if (FileSystem* medium = MediumOf(root)) medium->StartRemoveFiles(root, suffix);
    }
    void WaitForRemovals() override {
        for (const auto& [root, medium] : m_drives) medium->WaitForRemovals();
    }

  private:
    FileSystem* MediumOf(const std::string& name) const {
        for (const auto& [root, medium] : m_drives) {
            if (name.starts_with(root)) return medium;
        }
        return nullptr;
    }
    std::map<std::string, FileSystem*> m_drives;
};

}  // namespace

TEST_F(CardTestDlgTest, ADriveChosenBetweenThePassesIsTheOneVerifiedAndCleaned) {
    // The card is written as drive a and comes back from its re-insertion as drive b.
    SimulatedMedium driveA("sim-a:/", {.reportedBytes = 12 * MiB});
    SimulatedMedium driveB("sim-b:/", {.reportedBytes = 64 * MiB});
    driveB.AddFile("sim-b:/photo.jpg", {'j', 'p', 'g'});
    driveB.AddFile("sim-b:/left-over.vexlorn", {'o', 'l', 'd'});
    DriveRouter drives;
    drives.Add("sim-a:/", driveA);
    drives.Add("sim-b:/", driveB);
    WatchedMedium medium(drives);
    MessageBoxAnswers confirming(IDOK);
    CCardTestDlg dialog(medium, Drives({"sim-a:/", "sim-b:/"}));
    RunDialog(dialog, [&] {
        ASSERT_TRUE(Mapped(dialog));
        ASSERT_EQ(DriveListSelection(dialog), 0);
        SendKey(Window(dialog), GDK_KEY_Return);
        ASSERT_TRUE(ButtonsComeToShow(dialog, false, kWriteCaption, true));
        ASSERT_TRUE(medium.WaitForWorkersToEnd());
        const std::uint64_t written = driveA.FileSize("sim-a:/test0.vexlorn").value_or(0);
        ASSERT_EQ(written, 12 * MiB);
        driveB.AddFile("sim-b:/test0.vexlorn",
                       driveA.ReadFileBytes("sim-a:/test0.vexlorn", 0, written));

        gtk_combo_box_set_active(GTK_COMBO_BOX(ControlWidget(dialog, IDC_DRIVES)), 1);
        Press(ControlWidget(dialog, IDC_VERIFY));
        EXPECT_TRUE(ComesToShow(
            dialog, View(false, kWriteCaption, false,
                         "鉴定结束！ "
                         "您的U盘/TF卡/SD卡一切正常！写入数据大小：0.01G\r\n校验正确大小：0.01G")));
        ASSERT_TRUE(medium.WaitForWorkersToEnd());
        dialog.EndDialog(IDCANCEL);
    });
    const std::vector<std::string> verified = medium.Opened(Disposition::openExisting);
    ASSERT_FALSE(verified.empty());
    for (const std::string& name : verified) EXPECT_TRUE(name.starts_with("sim-b:/")) << name;
    EXPECT_EQ(medium.RemovalRoots(), std::vector<std::string>{"sim-b:/"});
    EXPECT_EQ(driveB.FileNames(), std::vector<std::string>{"sim-b:/photo.jpg"});
    EXPECT_EQ(driveA.FileNames(), std::vector<std::string>{"sim-a:/test0.vexlorn"});
}

TEST_F(CardTestDlgTest, WithNoDriveListedNeitherButtonStartsAnything) {
    SimulatedMedium card(kRoot, {.reportedBytes = 8 * MiB});
    WatchedMedium medium(card);
    MessageBoxAnswers answers(IDOK);
    CCardTestDlg dialog(medium, Drives({}));
    const std::intptr_t result = RunDialog(dialog, [&] {
        ASSERT_TRUE(Mapped(dialog));
        EXPECT_TRUE(DriveListItems(dialog).empty());
        EXPECT_EQ(DriveListSelection(dialog), -1);
        ASSERT_TRUE(ComesToShow(dialog, kReady));

        SendKey(Window(dialog), GDK_KEY_Return);
        Press(ControlWidget(dialog, IDOK));
        LetTicksPass();
        EXPECT_EQ(ViewOf(dialog), kReady);
        EXPECT_EQ(dialog.Run().m_bWriteStarted, 0u);

        // Nothing enables the verify button with an empty list; enabled here to reach its handler.
        dialog.GetDlgItem(IDC_VERIFY)->EnableWindow(true);
        Press(ControlWidget(dialog, IDC_VERIFY));
        LetTicksPass();
        EXPECT_TRUE(answers.shown.empty()) << "no confirmation for no drive";
        EXPECT_EQ(dialog.Run().m_bStopVerify, 1u);
        EXPECT_EQ(ViewOf(dialog).status, kTemplateStatus);
        EXPECT_TRUE(ModalLoopRunning(dialog));
        dialog.EndDialog(IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_TRUE(medium.Openings().empty());
    EXPECT_EQ(medium.Workers(), 0);
}

TEST_F(CardTestDlgTest, TheAboutEntryOpensTheAboutBoxOverTheDialog) {
    SimulatedMedium card(kRoot, {.reportedBytes = 8 * MiB});
    WatchedMedium medium(card);
    CCardTestDlg dialog(medium, Drives({kRoot}));
    RunDialog(dialog, [&] {
        ASSERT_TRUE(Mapped(dialog));
        GtkWidget* window = Window(dialog);
        // At the end of the system menu, after a separator.
        const std::vector<SystemMenuEntry>& entries = dialog.m_hWnd->dialog->systemMenu;
        ASSERT_EQ(entries.size(), 2u);
        EXPECT_TRUE(entries[0].separator);
        EXPECT_FALSE(entries[1].separator);
        EXPECT_EQ(entries[1].id, static_cast<unsigned>(IDM_ABOUT));
        EXPECT_EQ(entries[1].text, "关于 Vexlorn(&A)...");

        Click(window, 1000, GDK_BUTTON_SECONDARY);
        ASSERT_TRUE(PumpUntil([&] { return !MenusAttachedTo(window).empty(); }));
        GtkWidget* menu = MenusAttachedTo(window).front();
        GList* items = gtk_container_get_children(GTK_CONTAINER(menu));
        ASSERT_EQ(g_list_length(items), 1u);
        GtkWidget* aboutEntry = GTK_WIDGET(items->data);
        g_list_free(items);
        EXPECT_STREQ(gtk_menu_item_get_label(GTK_MENU_ITEM(aboutEntry)), "关于 Vexlorn(_A)...");

        bool seen = false;
        WhenTrue(
            [] {
                GtkWidget* about = ShownWindowTitled("关于 Quendral2014");
                return about && gtk_widget_get_mapped(about);
            },
            [&] {
                GtkWidget* about = ShownWindowTitled("关于 Quendral2014");
                EXPECT_EQ(gtk_window_get_transient_for(GTK_WINDOW(about)), GTK_WINDOW(window));
                EXPECT_TRUE(gtk_window_get_modal(GTK_WINDOW(about)));
                EXPECT_FALSE(dialog.IsWindowEnabled());
                seen = true;
                SendKey(about, GDK_KEY_Escape);
            });
        gtk_menu_shell_activate_item(GTK_MENU_SHELL(menu), aboutEntry, TRUE);
        EXPECT_TRUE(seen);
        EXPECT_EQ(ShownWindowTitled("关于 Quendral2014"), nullptr);
        EXPECT_TRUE(dialog.IsWindowEnabled());
        EXPECT_TRUE(ModalLoopRunning(dialog));
        EXPECT_EQ(ViewOf(dialog), kReady);
        dialog.EndDialog(IDCANCEL);
    });
}

TEST_F(CardTestDlgTest, AFailureEscapingAHandlerIsShownAndTheDialogGoesOn) {
    struct Case {
        const char* what;
        std::function<void()> fail;
        const char* shown;
    } cases[] = {
        {"memory exhausted", [] { throw std::bad_alloc(); }, "内存不足。"},
        {"a failure with a text", [] { throw std::runtime_error("读不出挂载表。"); },
         "读不出挂载表。"},
        {"a failure without one", [] { throw 42; }, "内部应用程序出错。"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CWinApp app("CardChecker");
        SimulatedMedium card(kRoot, {.reportedBytes = 8 * MiB});
        WatchedMedium medium(card);
        MessageBoxAnswers answers(IDOK);
        // The drive list is filled during the dialog's initialisation.
        CCardTestDlg dialog(medium, [&]() -> std::vector<std::string> {
            c.fail();
            return {kRoot};
        });
        // The failure's box runs a loop of its own before the dialog is shown, so the checks wait
        // for the dialog to appear rather than for the first loop to run.
        ModalWatchdog watchdog;
        bool checked = false;
        WhenTrue([&] { return dialog.m_hWnd && gtk_widget_get_mapped(Window(dialog)); },
                 [&] {
                     checked = true;
                     ASSERT_EQ(answers.shown.size(), 1u);
                     EXPECT_EQ(answers.shown[0].text, c.shown);
                     EXPECT_EQ(answers.shown[0].caption, "CardChecker");
                     EXPECT_EQ(answers.shown[0].buttons, std::vector<std::string>{"确定"});
                     EXPECT_EQ(answers.shown[0].owner, dialog.m_hWnd);
                     LetTicksPass();
                     EXPECT_TRUE(ModalLoopRunning(dialog));
                     EXPECT_EQ(ViewOf(dialog), kReady);
                     SendKey(Window(dialog), GDK_KEY_Escape);
                 });
        const std::intptr_t result = dialog.DoModal();
        EXPECT_TRUE(checked);
        EXPECT_EQ(result, IDCANCEL);
    }
}

TEST_F(CardTestDlgTest, ClosingDuringAPassEndsAtOnceAndNoCleanUpFollows) {
    enum class During { writing, verifying };
    struct Case {
        const char* what;
        During during;
        void (*close)(GtkWidget* window);
    } cases[] = {
        {"Esc while writing", During::writing,
         [](GtkWidget* window) { SendKey(window, GDK_KEY_Escape); }},
        {"the close button while writing", During::writing, SendDelete},
        {"Esc while verifying", During::verifying,
         [](GtkWidget* window) { SendKey(window, GDK_KEY_Escape); }},
        {"the close button while verifying", During::verifying, SendDelete},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SimulatedMedium card(kRoot, {.reportedBytes = 8 * MiB});
        WatchedMedium medium(card);
        MessageBoxAnswers confirming(IDOK);
        auto dialog = std::make_unique<CCardTestDlg>(medium, Drives({kRoot}));
        if (c.during == During::writing) medium.HoldWritesAfter(2 * MiB);
        std::chrono::steady_clock::time_point closedAt;
        const std::intptr_t result = RunDialog(*dialog, [&] {
            ASSERT_TRUE(Mapped(*dialog));
            SendKey(Window(*dialog), GDK_KEY_Return);
            if (c.during == During::verifying) {
                ASSERT_TRUE(ButtonsComeToShow(*dialog, false, kWriteCaption, true));
                medium.HoldReadsAfter(2 * MiB);
                Press(ControlWidget(*dialog, IDC_VERIFY));
            }
            ASSERT_TRUE(PumpUntil([&] { return medium.Holding(); }));
            closedAt = std::chrono::steady_clock::now();
            c.close(Window(*dialog));
        });
        EXPECT_EQ(result, IDCANCEL);
        EXPECT_LT(std::chrono::steady_clock::now() - closedAt, std::chrono::seconds(2));
        EXPECT_TRUE(medium.Holding()) << "the dialog closed while its worker was still held";

        // The worker goes on only once the dialog is gone.
        dialog.reset();
        medium.Release();
        ASSERT_TRUE(medium.WaitForWorkersToEnd());
        PumpPending();
        EXPECT_TRUE(medium.RemovalRoots().empty()) << "a clean-up started after the close";
        EXPECT_EQ(card.FileNames(), std::vector<std::string>{kTest0});
    }
}

TEST_F(CardTestDlgTest, AVerifyPassConfirmedWhileTheWriterFinishesIsTheOnlyOne) {
    SimulatedMedium card(kRoot, {.reportedBytes = 32 * MiB});
    WatchedMedium medium(card);
    medium.HoldWritesAfter(11 * MiB);
    MessageBoxAnswers confirming(IDOK);
    CCardTestDlg dialog(medium, Drives({kRoot}));
    RunDialog(dialog, [&] {
        ASSERT_TRUE(Mapped(dialog));
        GtkWidget* verify = ControlWidget(dialog, IDC_VERIFY);
        SendKey(Window(dialog), GDK_KEY_Return);
        ASSERT_TRUE(PumpUntil([&] { return medium.Holding(); }));
        ASSERT_TRUE(ComesToShow(dialog, View(true, kStopCaption, false, "已写入数据大小：0.01G")));
        SendKey(Window(dialog), GDK_KEY_Return);
        ASSERT_TRUE(ComesToShow(dialog, View(false, kWriteCaption, true, "已写入数据大小：0.01G")));

        // Confirmed while the write worker still holds its last block.
        Press(verify);
        ASSERT_TRUE(PumpUntil([&] { return confirming.shown.size() == 1; }));
        ASSERT_TRUE(
            ComesToShow(dialog, View(false, kWriteCaption, false, "已写入数据大小：0.01G")));
        EXPECT_EQ(dialog.Run().m_bWriteDone, 0u);

        // The worker's end arrives now; it must leave the verify button disabled.
        medium.Release();
        ASSERT_TRUE(PumpUntil([&] { return medium.WorkersEnded() >= 1; }));
        PumpPending();
        EXPECT_FALSE(gtk_widget_is_sensitive(verify));
        Press(verify);
        EXPECT_TRUE(ComesToShow(
            dialog, View(false, kWriteCaption, false,
                         "鉴定结束！ "
                         "您的U盘/TF卡/SD卡一切正常！写入数据大小：0.01G\r\n校验正确大小：0.01G")));
        ASSERT_TRUE(medium.WaitForWorkersToEnd());
        dialog.EndDialog(IDCANCEL);
    });
    EXPECT_EQ(confirming.shown.size(), 1u) << "a second verify pass was offered";
    EXPECT_EQ(medium.Opened(Disposition::openExisting), std::vector<std::string>{kTest0})
        << "one verify pass, reading test0 back once";
    EXPECT_EQ(medium.Workers(), 2);
}
