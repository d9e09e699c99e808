// GTK backend: message boxes (a modal GtkMessageDialog over its owner, the owner disabled while
// it is up). An installed responder answers a box once it is on the screen, by pressing one of
// its buttons.
#include "framework/DialogIds.h"
#include "framework/gtk/GtkBackend.h"

namespace {

constexpr const char* kOkCaption = "确定";
constexpr const char* kCancelCaption = "取消";

struct PendingAnswer {
    GtkWidget* box;
    NativeWindow* owner;
    MessageBoxResponder responder;
    guint source;
};

ShownMessageBox ReadBack(const PendingAnswer& pending) {
    GtkWindow* box = GTK_WINDOW(pending.box);
    ShownMessageBox shown;
    if (pending.owner && gtk_window_get_transient_for(box) == GTK_WINDOW(pending.owner->widget)) {
        shown.owner = pending.owner;
        shown.ownerEnabled = gtk_widget_get_sensitive(pending.owner->widget);
    }
    shown.modal = gtk_window_get_modal(box);
    const gchar* title = gtk_window_get_title(box);
    shown.caption = title ? title : "";
    gchar* text = nullptr;
    GtkMessageType type = GTK_MESSAGE_OTHER;
    g_object_get(pending.box, "text", &text, "message-type", &type, nullptr);
    shown.text = text ? text : "";
    g_free(text);
    shown.hasIcon = type != GTK_MESSAGE_OTHER;
    for (const GtkResponseType response : {GTK_RESPONSE_OK, GTK_RESPONSE_CANCEL}) {
        if (GtkWidget* button = gtk_dialog_get_widget_for_response(GTK_DIALOG(box), response)) {
            shown.buttons.emplace_back(gtk_button_get_label(GTK_BUTTON(button)));
        }
    }
    return shown;
}

gboolean Answer(gpointer data) {
    auto& pending = *static_cast<PendingAnswer*>(data);
    pending.source = 0;
    const int chosen = pending.responder(ReadBack(pending));
    const GtkResponseType response = chosen == IDCANCEL ? GTK_RESPONSE_CANCEL : GTK_RESPONSE_OK;
    if (GtkWidget* button = gtk_dialog_get_widget_for_response(GTK_DIALOG(pending.box), response)) {
        gtk_button_clicked(GTK_BUTTON(button));
    }
    return G_SOURCE_REMOVE;
}

}  // namespace

namespace window_backend {

int ShowMessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                   MessageBoxButtons buttons, MessageBoxIcon icon) {
    GtkWindow* parent = owner ? GTK_WINDOW(owner->widget) : nullptr;
    GtkWidget* box = gtk_message_dialog_new(
        parent, GTK_DIALOG_MODAL,
        icon == MessageBoxIcon::error ? GTK_MESSAGE_ERROR : GTK_MESSAGE_OTHER, GTK_BUTTONS_NONE,
        "%s", gtk_backend::DisplayText(text).c_str());
    gtk_window_set_title(GTK_WINDOW(box), caption.c_str());
    gtk_dialog_add_button(GTK_DIALOG(box), kOkCaption, GTK_RESPONSE_OK);
    if (buttons == MessageBoxButtons::okCancel) {
        gtk_dialog_add_button(GTK_DIALOG(box), kCancelCaption, GTK_RESPONSE_CANCEL);
    }
    gtk_dialog_set_default_response(GTK_DIALOG(box), GTK_RESPONSE_OK);
    gtk_window_set_position(GTK_WINDOW(box),
                            parent ? GTK_WIN_POS_CENTER_ON_PARENT : GTK_WIN_POS_CENTER);

    const bool ownerWasEnabled = owner && gtk_widget_get_sensitive(owner->widget);
    if (ownerWasEnabled) {
        gtk_widget_set_sensitive(owner->widget, FALSE);
    }
    PendingAnswer pending{box, owner, InstalledMessageBoxResponder(), 0};
    if (pending.responder) {
        pending.source = g_idle_add(&Answer, &pending);
    }
    const gint response = gtk_dialog_run(GTK_DIALOG(box));
    if (pending.source) {
        g_source_remove(pending.source);
    }
    gtk_widget_destroy(box);
    if (ownerWasEnabled) {
        gtk_widget_set_sensitive(owner->widget, TRUE);
        gtk_window_present(parent);
    }
    if (response == GTK_RESPONSE_OK) {
        return IDOK;
    }
    if (response == GTK_RESPONSE_CANCEL) {
        return IDCANCEL;
    }
    // Closed without a button: the box's cancel, or its only button.
    return buttons == MessageBoxButtons::okCancel ? IDCANCEL : IDOK;
}

}  // namespace window_backend
