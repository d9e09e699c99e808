// GTK backend: what dialogs and controls have in common: their objects, numbers, texts, enabled
// state and sizes.
#include "framework/gtk/GtkBackend.h"

using namespace gtk_backend;

namespace window_backend {

void SetWindowObject(WindowHandle window, CWnd* object) {
    window->object = object;
}

CWnd* WindowObject(WindowHandle window) {
    return window->object;
}

WindowHandle FindControl(WindowHandle dialog, int id) {
    if (!dialog->dialog) {
        return nullptr;
    }
    for (const auto& control : dialog->dialog->controls) {
        if (control->id == id) {
            return control.get();
        }
    }
    return nullptr;
}

WindowHandle ParentWindow(WindowHandle window) {
    return window->parent;
}

int ControlId(WindowHandle window) {
    return window->kind == WindowKind::dialog ? 0 : window->id;
}

void SetText(WindowHandle window, const std::string& text) {
    window->text = text;
    switch (window->kind) {
        case WindowKind::dialog:
            gtk_window_set_title(GTK_WINDOW(window->widget), text.c_str());
            break;
        case WindowKind::staticText:
            if (window->style & template_style::staticNoPrefix) {
                gtk_label_set_text(GTK_LABEL(window->label), DisplayText(text).c_str());
                break;
            }
            [[fallthrough]];
        case WindowKind::pushButton:
        case WindowKind::groupBox:
            gtk_label_set_text_with_mnemonic(GTK_LABEL(window->label), MnemonicText(text).c_str());
            break;
        case WindowKind::staticIcon:
        case WindowKind::dropDownList:
            break;
    }
}

std::string Text(WindowHandle window) {
    return window->text;
}

void Enable(WindowHandle window, bool enable) {
    gtk_widget_set_sensitive(window->widget, enable);
}

bool IsEnabled(WindowHandle window) {
    return gtk_widget_get_sensitive(window->widget);
}

bool IsMinimised(WindowHandle window) {
    GdkWindow* shown =
        window->kind == WindowKind::dialog ? gtk_widget_get_window(window->widget) : nullptr;
    return shown && (gdk_window_get_state(shown) & GDK_WINDOW_STATE_ICONIFIED);
}

CRect ClientRect(WindowHandle window) {
    GtkWidget* area = window->dialog ? window->dialog->fixed : window->widget;
    int width = 0, height = 0;
    if (gtk_widget_get_realized(area)) {
        width = gtk_widget_get_allocated_width(area);
        height = gtk_widget_get_allocated_height(area);
    } else {
        gtk_widget_get_size_request(area, &width, &height);
    }
    return CRect(0, 0, width, height);
}

}  // namespace window_backend
