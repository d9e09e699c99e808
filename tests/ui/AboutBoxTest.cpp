// The About box run from the main template's system menu entry: over its owner, the owner
// disabled while it is open and enabled again after; OK and Esc close it.
#include <gtest/gtest.h>

#include "framework/Dialog.h"
#include "framework/Menu.h"
#include "framework/Resources.h"
#include "framework/gtk/GtkBackend.h"
#include "res/resource.h"
#include "tests/framework/gtk/support/GtkTestSupport.h"
#include "ui/AboutBox.h"

using namespace gtk_test;

namespace {

class OwnerDialog : public CDialog {
  public:
    OwnerDialog() : CDialog(IDD_MAIN) {}
    bool OnInitDialog() override {
        CDialog::OnInitDialog();
        CMenu* systemMenu = GetSystemMenu(false);
        systemMenu->AppendMenu(MenuFlag::separator);
        systemMenu->AppendMenu(MenuFlag::string, IDM_ABOUT, LoadString(IDS_ABOUT_MENU));
        return true;
    }
    std::intptr_t aboutResult = 0;

  protected:
    void OnSysCommand(unsigned id, std::intptr_t lParam) {
        if ((id & 0xFFF0) == IDM_ABOUT) {
            CAboutBox about;
            aboutResult = about.DoModal();
        } else {
            CDialog::OnSysCommand(id, lParam);
        }
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(OwnerDialog, CDialog)
    ON_WM_SYSCOMMAND()
END_MESSAGE_MAP()

CRect PlaceOf(GtkWidget* window) {
    int x = 0, y = 0, width = 0, height = 0;
    gtk_window_get_position(GTK_WINDOW(window), &x, &y);
    gtk_window_get_size(GTK_WINDOW(window), &width, &height);
    return CRect(x, y, x + width, y + height);
}

class AboutBoxTest : public ::testing::Test {
  protected:
    void SetUp() override { StartWindowSystem(); }
};

}  // namespace

TEST_F(AboutBoxTest, AboutEntryOpensTheAboutBoxOverItsDisabledOwner) {
    for (const guint closingKey : {GDK_KEY_Return, GDK_KEY_Escape}) {
        SCOPED_TRACE(closingKey == GDK_KEY_Return ? "closed with Enter" : "closed with Esc");
        OwnerDialog dialog;
        RunDialog(dialog, [&] {
            GtkWidget* owner = WidgetOf(dialog.m_hWnd);
            ASSERT_TRUE(PumpUntil([&] { return gtk_widget_get_mapped(owner); }));
            Click(owner, 1000, GDK_BUTTON_SECONDARY);
            ASSERT_TRUE(PumpUntil([&] { return !MenusAttachedTo(owner).empty(); }));
            GtkWidget* menu = MenusAttachedTo(owner).front();
            GList* items = gtk_container_get_children(GTK_CONTAINER(menu));
            GtkWidget* aboutEntry = GTK_WIDGET(items->data);
            g_list_free(items);

            bool checked = false;
            WhenTrue(
                [] {
                    GtkWidget* about = ShownWindowTitled("关于 Quendral2014");
                    return about && gtk_widget_get_mapped(about);
                },
                [&] {
                    GtkWidget* about = ShownWindowTitled("关于 Quendral2014");
                    EXPECT_EQ(gtk_window_get_transient_for(GTK_WINDOW(about)), GTK_WINDOW(owner));
                    EXPECT_TRUE(gtk_window_get_modal(GTK_WINDOW(about)));
                    EXPECT_FALSE(gtk_widget_get_sensitive(owner));
                    EXPECT_FALSE(dialog.IsWindowEnabled());
                    const CRect over = PlaceOf(owner);
                    const CRect box = PlaceOf(about);
                    EXPECT_NEAR(box.left + box.Width() / 2.0, over.left + over.Width() / 2.0, 1.0);
                    EXPECT_NEAR(box.top + box.Height() / 2.0, over.top + over.Height() / 2.0, 1.0);
                    checked = true;
                    SendKey(about, closingKey);
                });
            gtk_menu_shell_activate_item(GTK_MENU_SHELL(menu), aboutEntry, TRUE);

            EXPECT_TRUE(checked);
            EXPECT_EQ(dialog.aboutResult, closingKey == GDK_KEY_Return ? IDOK : IDCANCEL);
            EXPECT_TRUE(gtk_widget_get_sensitive(owner));
            EXPECT_EQ(ShownWindowTitled("关于 Quendral2014"), nullptr);
            dialog.EndDialog(IDCANCEL);
        });
    }
}
