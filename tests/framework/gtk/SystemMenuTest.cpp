// The system menu's entries a dialog appends, offered in its context menu (right button,
// Shift+F10, the Menu key); choosing one sends the system command to the dialog.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/Dialog.h"
#include "framework/Menu.h"
#include "framework/Resources.h"
#include "framework/gtk/GtkBackend.h"
#include "res/resource.h"
#include "tests/framework/gtk/support/GtkTestSupport.h"

using namespace gtk_test;

namespace {

class MenuDialog : public CDialog {
  public:
    explicit MenuDialog(bool addAboutEntry) : CDialog(IDD_MAIN), m_addAboutEntry(addAboutEntry) {}
    std::vector<unsigned> sysCommands;

    bool OnInitDialog() override {
        CDialog::OnInitDialog();
        CMenu* systemMenu = GetSystemMenu(false);
        const std::string text = LoadString(IDS_ABOUT_MENU);
        if (m_addAboutEntry && systemMenu && !text.empty()) {
            systemMenu->AppendMenu(MenuFlag::separator);
            systemMenu->AppendMenu(MenuFlag::string, IDM_ABOUT, text);
        }
        return true;
    }

  protected:
    void OnSysCommand(unsigned id, std::intptr_t lParam) {
        sysCommands.push_back(id);
        CDialog::OnSysCommand(id, lParam);
    }
    DECLARE_MESSAGE_MAP()

  private:
    bool m_addAboutEntry;
};

BEGIN_MESSAGE_MAP(MenuDialog, CDialog)
    ON_WM_SYSCOMMAND()
END_MESSAGE_MAP()

struct Trigger {
    const char* name;
    void (*open)(GtkWidget* window);
};

const Trigger kTriggers[] = {
    {"right button", [](GtkWidget* window) { Click(window, 1000, GDK_BUTTON_SECONDARY); }},
    {"Shift+F10", [](GtkWidget* window) { SendKey(window, GDK_KEY_F10, GDK_SHIFT_MASK); }},
    {"Menu key", [](GtkWidget* window) { SendKey(window, GDK_KEY_Menu); }},
};

std::vector<GtkWidget*> MenuItems(GtkWidget* menu) {
    std::vector<GtkWidget*> items;
    GList* children = gtk_container_get_children(GTK_CONTAINER(menu));
    for (GList* child = children; child; child = child->next) {
        items.push_back(GTK_WIDGET(child->data));
    }
    g_list_free(children);
    return items;
}

class SystemMenuTest : public ::testing::Test {
  protected:
    void SetUp() override { StartWindowSystem(); }
};

}  // namespace

TEST_F(SystemMenuTest, ContextMenuOffersTheAboutEntryAndChoosingItSendsItsCommand) {
    for (const Trigger& trigger : kTriggers) {
        SCOPED_TRACE(trigger.name);
        MenuDialog dialog(true);
        RunDialog(dialog, [&] {
            GtkWidget* window = WidgetOf(dialog.m_hWnd);
            ASSERT_TRUE(PumpUntil([&] { return gtk_widget_get_mapped(window); }));
            trigger.open(window);
            ASSERT_TRUE(PumpUntil([&] { return !MenusAttachedTo(window).empty(); }));
            GtkWidget* menu = MenusAttachedTo(window).front();
            // The separator before the entry has nothing above it in this menu.
            const std::vector<GtkWidget*> items = MenuItems(menu);
            ASSERT_EQ(items.size(), 1u);
            EXPECT_STREQ(gtk_menu_item_get_label(GTK_MENU_ITEM(items[0])), "关于 Vexlorn(_A)...");
            EXPECT_TRUE(gtk_menu_item_get_use_underline(GTK_MENU_ITEM(items[0])));

            gtk_menu_shell_activate_item(GTK_MENU_SHELL(menu), items[0], TRUE);
            ASSERT_TRUE(PumpUntil([&] { return !dialog.sysCommands.empty(); }));
            EXPECT_EQ(dialog.sysCommands, std::vector<unsigned>{IDM_ABOUT});
            dialog.EndDialog(IDOK);
        });
    }
}

TEST_F(SystemMenuTest, WithoutAppendedEntriesThereIsNoContextMenu) {
    MenuDialog dialog(false);
    RunDialog(dialog, [&] {
        GtkWidget* window = WidgetOf(dialog.m_hWnd);
        ASSERT_TRUE(PumpUntil([&] { return gtk_widget_get_mapped(window); }));
        Click(window, 1000, GDK_BUTTON_SECONDARY);
        SendKey(window, GDK_KEY_Menu);
        PumpUntil([] { return false; }, 50ms);
        EXPECT_TRUE(MenusAttachedTo(window).empty());
        dialog.EndDialog(IDOK);
    });
}
