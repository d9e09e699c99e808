// The keyboard of a dialog: Enter presses the focused push button or else the default button
// (the base OnOK ends the dialog with IDOK; an override decides for itself), Esc cancels.
#include <gtest/gtest.h>

#include "framework/Dialog.h"
#include "framework/gtk/GtkBackend.h"
#include "res/resource.h"
#include "tests/framework/gtk/support/GtkTestSupport.h"

using namespace gtk_test;

namespace {

class KeysTest : public ::testing::Test {
  protected:
    void SetUp() override { StartWindowSystem(); }
};

GtkWidget* Window(CDialog& dialog) {
    return WidgetOf(dialog.m_hWnd);
}

GtkWidget* Control(CDialog& dialog, int id) {
    return WidgetOf(dialog.GetDlgItem(id)->m_hWnd);
}

// Counts the write button's presses and verify clicks; never ends itself on OK.
class CountingDialog : public CDialog {
  public:
    CountingDialog() : CDialog(IDD_MAIN) {}
    void OnOK() override { ++okPresses; }
    int okPresses = 0;
    int verifyClicks = 0;

  protected:
    void OnVerify() { ++verifyClicks; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CountingDialog, CDialog)
    ON_BN_CLICKED(IDC_VERIFY, &CountingDialog::OnVerify)
END_MESSAGE_MAP()

}  // namespace

TEST_F(KeysTest, EnterRunsTheBaseOnOkWhichEndsTheDialogWithIdok) {
    for (const bool focusOnList : {false, true}) {
        SCOPED_TRACE(focusOnList ? "focus on the drive list" : "focus on the write button");
        CDialog dialog(IDD_MAIN);
        const std::intptr_t result = RunDialog(dialog, [&] {
            ASSERT_TRUE(PumpUntil([&] { return gtk_widget_get_mapped(Window(dialog)); }));
            if (focusOnList) {
                gtk_widget_grab_focus(Control(dialog, IDC_DRIVES));
            }
            SendKey(Window(dialog), GDK_KEY_Return);
        });
        EXPECT_EQ(result, IDOK);
    }
}

TEST_F(KeysTest, AnOverriddenOnOkDecidesAndTheDialogStaysOpen) {
    CountingDialog dialog;
    const std::intptr_t result = RunDialog(dialog, [&] {
        GtkWidget* window = Window(dialog);
        ASSERT_TRUE(PumpUntil([&] { return gtk_widget_get_mapped(window); }));
        SendKey(window, GDK_KEY_Return);
        SendKey(window, GDK_KEY_KP_Enter);
        ASSERT_TRUE(PumpUntil([&] { return dialog.okPresses == 2; }));

        // Enter on another enabled push button presses that one.
        dialog.GetDlgItem(IDC_VERIFY)->EnableWindow(true);
        gtk_widget_grab_focus(Control(dialog, IDC_VERIFY));
        SendKey(window, GDK_KEY_Return);
        ASSERT_TRUE(PumpUntil([&] { return dialog.verifyClicks == 1; }));

        // A disabled default button takes no Enter.
        dialog.GetDlgItem(IDOK)->EnableWindow(false);
        gtk_widget_grab_focus(Control(dialog, IDC_DRIVES));
        SendKey(window, GDK_KEY_Return);
        PumpUntil([] { return false; }, 50ms);
        EXPECT_EQ(dialog.okPresses, 2);
        EXPECT_EQ(dialog.verifyClicks, 1);

        SendKey(window, GDK_KEY_Escape);
    });
    EXPECT_EQ(result, IDCANCEL);
}

TEST_F(KeysTest, EscapeCancels) {
    CDialog dialog(IDD_ABOUT);
    const std::intptr_t result = RunDialog(dialog, [&] {
        ASSERT_TRUE(PumpUntil([&] { return gtk_widget_get_mapped(Window(dialog)); }));
        SendKey(Window(dialog), GDK_KEY_Escape);
    });
    EXPECT_EQ(result, IDCANCEL);
}
