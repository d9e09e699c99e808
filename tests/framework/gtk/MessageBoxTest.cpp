// Message boxes as the program's start-up runs them: owned by the dialog, modal, the text with
// OK and Cancel and no icon, the application's name (the executable's) as caption; and the
// report of an exception that escapes a handler, after which the dialog goes on.
#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <string>

#include "framework/Dialog.h"
#include "framework/ProgramEntry.h"
#include "framework/WinApp.h"
#include "framework/gtk/GtkBackend.h"
#include "res/resource.h"
#include "tests/framework/gtk/support/GtkTestSupport.h"

using namespace gtk_test;

namespace {

constexpr const char* kQuestion = "确认优盘/TF卡/SD卡弹出过并插回来了吗？";

// Runs the main template and asks one question from inside it, as the verify button does.
class QuestionApp : public CWinApp {
  public:
    bool InitInstance() override {
        CDialog dialog(IDD_MAIN);
        m_pMainWnd = &dialog;
        RunDialog(dialog, [&] {
            dialogWindow = dialog.m_hWnd;
            answer = dialog.MessageBox(kQuestion, {}, MessageBoxButtons::okCancel);
            dialogEnabledAfter = dialog.IsWindowEnabled();
            dialog.EndDialog(IDCANCEL);
        });
        m_pMainWnd = nullptr;
        return false;
    }
    WindowHandle dialogWindow = nullptr;
    int answer = 0;
    bool dialogEnabledAfter = false;
};

class MessageBoxTest : public ::testing::Test {
  protected:
    void SetUp() override { StartWindowSystem(); }
};

}  // namespace

TEST_F(MessageBoxTest, QuestionIsOwnedModalWithOkCancelAndTheExecutablesNameAsCaption) {
    for (const int chosen : {IDOK, IDCANCEL}) {
        SCOPED_TRACE(chosen == IDOK ? "OK" : "Cancel");
        QuestionApp app;
        MessageBoxAnswers answers(chosen);
        EXPECT_EQ(AfxWinMain("/opt/tools/Vexlorn.exe"), 0);
        EXPECT_EQ(app.m_pszAppName, "Vexlorn");
        EXPECT_EQ(app.answer, chosen);
        ASSERT_EQ(answers.shown.size(), 1u);
        const ShownMessageBox& box = answers.shown[0];
        EXPECT_EQ(box.text, kQuestion);
        EXPECT_EQ(box.caption, "Vexlorn");
        EXPECT_EQ(box.buttons, (std::vector<std::string>{"确定", "取消"}));
        EXPECT_FALSE(box.hasIcon);
        EXPECT_TRUE(box.modal);
        EXPECT_EQ(box.owner, app.dialogWindow);
        EXPECT_FALSE(box.ownerEnabled);
        EXPECT_TRUE(app.dialogEnabledAfter);
    }
}

TEST_F(MessageBoxTest, ApplicationNamedByItsConstructorKeepsItsName) {
    CWinApp app("Named");
    EXPECT_EQ(AfxWinMain("/usr/bin/vexlorn"), 0);
    EXPECT_EQ(app.m_pszAppName, "Named");
    EXPECT_EQ(AfxGetApp(), &app);
}

namespace {

class NoText : public std::exception {
  public:
    const char* what() const noexcept override { return ""; }
};

struct Failure {
    const char* name;
    void (*raise)();
    const char* reported;
};

const Failure kFailures[] = {
    {"its own text", [] { throw std::runtime_error("无法读取驱动器。"); }, "无法读取驱动器。"},
    {"memory exhaustion", [] { throw std::bad_alloc(); }, "内存不足。"},
    {"no text", [] { throw NoText(); }, "内部应用程序出错。"},
    {"not an exception class", [] { throw 42; }, "内部应用程序出错。"},
};

const Failure* g_failure = nullptr;

class FailingDialog : public CDialog {
  public:
    FailingDialog() : CDialog(IDD_MAIN) {}
    int commandsAfter = 0;

  protected:
    void OnVerify() { g_failure->raise(); }
    void OnLinkClicked() { ++commandsAfter; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(FailingDialog, CDialog)
    ON_BN_CLICKED(IDC_VERIFY, &FailingDialog::OnVerify)
    ON_STN_CLICKED(IDC_LINK, &FailingDialog::OnLinkClicked)
END_MESSAGE_MAP()

}  // namespace

TEST_F(MessageBoxTest, ExceptionEscapingAHandlerIsReportedAndTheDialogGoesOn) {
    for (const Failure& failure : kFailures) {
        SCOPED_TRACE(failure.name);
        g_failure = &failure;
        CWinApp app("Vexlorn");
        MessageBoxAnswers answers(IDOK);
        FailingDialog dialog;
        const std::intptr_t result = RunDialog(dialog, [&] {
            ASSERT_TRUE(PumpUntil([&] { return gtk_widget_get_mapped(WidgetOf(dialog.m_hWnd)); }));
            dialog.GetDlgItem(IDC_VERIFY)->EnableWindow(true);
            GtkWidget* verify = WidgetOf(dialog.GetDlgItem(IDC_VERIFY)->m_hWnd);
            SendEnter(verify);
            Click(verify, 1000);
            ASSERT_TRUE(PumpUntil([&] { return !answers.shown.empty(); }));
            // The dialog still takes input and runs its handlers.
            Click(WidgetOf(dialog.GetDlgItem(IDC_LINK)->m_hWnd), 5000);
            ASSERT_TRUE(PumpUntil([&] { return dialog.commandsAfter == 1; }));
            SendKey(WidgetOf(dialog.m_hWnd), GDK_KEY_Escape);
        });
        EXPECT_EQ(result, IDCANCEL);
        ASSERT_EQ(answers.shown.size(), 1u);
        EXPECT_EQ(answers.shown[0].text, failure.reported);
        EXPECT_EQ(answers.shown[0].caption, "Vexlorn");
        EXPECT_EQ(answers.shown[0].buttons, std::vector<std::string>{"确定"});
        EXPECT_NE(answers.shown[0].owner, nullptr);
    }
}

namespace {

class FailingInitialisation : public CDialog {
  public:
    FailingInitialisation() : CDialog(IDD_ABOUT) {}
    bool OnInitDialog() override {
        CDialog::OnInitDialog();
        throw std::runtime_error("初始化失败");
    }
};

}  // namespace

TEST_F(MessageBoxTest, ExceptionInInitialisationIsReportedAndTheDialogStillRuns) {
    MessageBoxAnswers answers(IDOK);
    FailingInitialisation dialog;
    // The report comes up before the dialog is shown; the dialog then takes input.
    const std::intptr_t result = RunDialog(dialog, [&] {
        WhenTrue([&] { return gtk_widget_get_mapped(WidgetOf(dialog.m_hWnd)); },
                 [&] { SendKey(WidgetOf(dialog.m_hWnd), GDK_KEY_Return); });
    });
    EXPECT_EQ(result, IDOK);
    ASSERT_EQ(answers.shown.size(), 1u);
    EXPECT_EQ(answers.shown[0].text, "初始化失败");
}
