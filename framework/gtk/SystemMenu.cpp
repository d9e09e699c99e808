// GTK backend: the system menu. The title bar's menu belongs to the window manager, so the
// entries a program appends are offered in the dialog's context menu; choosing one sends its
// system command to the dialog.
#include <utility>

#include "framework/gtk/GtkBackend.h"

using namespace gtk_backend;

namespace {

constexpr unsigned kSeparatorFlag = 0x0800;

struct ChosenEntry {
    NativeWindow* dialog;
    unsigned id;
};

void OnEntryChosen(GtkMenuItem*, ChosenEntry* entry) {
    const Message command{wm::sysCommand, entry->id, 0, nullptr, nullptr};
    if (entry->dialog->object) {
        DeliverMessage(*entry->dialog->object, command);
    }
}

void FreeChosenEntry(gpointer entry, GClosure*) {
    delete static_cast<ChosenEntry*>(entry);
}

// The entries as a menu shows them: no separator first, last or twice in a row.
std::vector<const SystemMenuEntry*> ShownEntries(const std::vector<SystemMenuEntry>& entries) {
    std::vector<const SystemMenuEntry*> shown;
    for (const SystemMenuEntry& entry : entries) {
        if (entry.separator && (shown.empty() || shown.back()->separator)) {
            continue;
        }
        shown.push_back(&entry);
    }
    if (!shown.empty() && shown.back()->separator) {
        shown.pop_back();
    }
    return shown;
}

}  // namespace

namespace window_backend {

bool AppendSystemMenuEntry(WindowHandle dialog, unsigned flags, unsigned id,
                           const std::string& text) {
    if (!dialog->dialog) {
        return false;
    }
    const bool separator = (flags & kSeparatorFlag) != 0;
    dialog->dialog->systemMenu.push_back(
        SystemMenuEntry{separator, separator ? 0 : id, separator ? std::string() : text});
    return true;
}

void ResetSystemMenu(WindowHandle dialog) {
    if (dialog->dialog) {
        dialog->dialog->systemMenu.clear();
    }
}

}  // namespace window_backend

namespace gtk_backend {

void DestroyContextMenu(NativeWindow& dialog) {
    if (GtkWidget* menu = std::exchange(dialog.dialog->contextMenu, nullptr)) {
        gtk_widget_destroy(menu);
    }
}

void ShowContextMenu(NativeWindow& dialog, const GdkEvent* trigger) {
    const std::vector<const SystemMenuEntry*> entries = ShownEntries(dialog.dialog->systemMenu);
    if (entries.empty()) {
        return;
    }
    DestroyContextMenu(dialog);
    GtkWidget* menu = gtk_menu_new();
    for (const SystemMenuEntry* entry : entries) {
        GtkWidget* item = entry->separator
                              ? gtk_separator_menu_item_new()
                              : gtk_menu_item_new_with_mnemonic(MnemonicText(entry->text).c_str());
        if (!entry->separator) {
            g_signal_connect_data(item, "activate", G_CALLBACK(OnEntryChosen),
                                  new ChosenEntry{&dialog, entry->id}, FreeChosenEntry,
                                  GConnectFlags(0));
        }
        gtk_menu_shell_append(GTK_MENU_SHELL(menu), item);
    }
    gtk_menu_attach_to_widget(GTK_MENU(menu), dialog.widget, nullptr);
    gtk_widget_show_all(menu);
    dialog.dialog->contextMenu = menu;

    const GdkEventType type = trigger ? trigger->type : GDK_NOTHING;
    if (type == GDK_BUTTON_PRESS || type == GDK_BUTTON_RELEASE) {
        gtk_menu_popup_at_pointer(GTK_MENU(menu), trigger);
    } else {
        NativeWindow* focused = ControlWithFocus(dialog);
        GtkWidget* anchor = focused ? focused->widget : dialog.dialog->fixed;
        gtk_menu_popup_at_widget(GTK_MENU(menu), anchor, GDK_GRAVITY_NORTH_WEST,
                                 GDK_GRAVITY_NORTH_WEST, trigger);
        gtk_menu_shell_select_first(GTK_MENU_SHELL(menu), TRUE);
    }
}

}  // namespace gtk_backend
