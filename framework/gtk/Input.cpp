// GTK backend: input as a dialog manager handles it. Clicks of buttons and notify statics become
// commands to the dialog (a static's second click within the double-click time is its double
// click, not another click); Enter presses the focused push button or else the default one, Esc
// and the close button cancel, Tab moves through the tab stops in template order, and the right
// button, Shift+F10 and the Menu key open the system menu's entries. The pointer over a control
// that takes pointer input asks it for the cursor.
#include <cmath>
#include <utility>

#include "framework/DialogIds.h"
#include "framework/gtk/GtkBackend.h"

namespace ts = template_style;

namespace gtk_backend {

void SendCommand(NativeWindow& dialog, int id, unsigned code, NativeWindow* control) {
    if (!dialog.object) {
        return;
    }
    const Message message{wm::command, MakeCommandParam(id, code),
                          reinterpret_cast<std::intptr_t>(control),
                          control ? control->object : nullptr, nullptr};
    DeliverMessage(*dialog.object, message);
}

namespace {

bool IsPushButton(const NativeWindow* control) {
    return control && control->kind == WindowKind::pushButton;
}

NativeWindow* DefaultButton(NativeWindow& dialog) {
    for (const auto& control : dialog.dialog->controls) {
        if (IsPushButton(control.get()) &&
            (control->style & ts::buttonTypeMask) == ts::defPushButton) {
            return control.get();
        }
    }
    return nullptr;
}

void PressEnter(NativeWindow& dialog) {
    NativeWindow* focused = ControlWithFocus(dialog);
    NativeWindow* button = IsPushButton(focused) ? focused : DefaultButton(dialog);
    if (!button) {
        SendCommand(dialog, IDOK, bn::clicked, nullptr);
    } else if (gtk_widget_is_sensitive(button->widget)) {
        gtk_button_clicked(GTK_BUTTON(button->widget));
    }
}

bool TakesFocus(const NativeWindow& control) {
    return (control.style & ts::tabStop) && gtk_widget_get_visible(control.widget) &&
           gtk_widget_is_sensitive(control.widget);
}

void MoveFocus(NativeWindow& dialog, bool forward) {
    const auto& controls = dialog.dialog->controls;
    const int count = static_cast<int>(controls.size());
    int current = -1;
    if (NativeWindow* focused = ControlWithFocus(dialog)) {
        for (int i = 0; i < count; ++i) {
            if (controls[i].get() == focused) {
                current = i;
            }
        }
    }
    for (int step = 1; step <= count; ++step) {
        const int start = current < 0 ? (forward ? -1 : count) : current;
        const int index = ((start + (forward ? step : -step)) % count + count) % count;
        if (TakesFocus(*controls[index])) {
            gtk_widget_grab_focus(controls[index]->widget);
            return;
        }
    }
}

gboolean OnDialogKey(GtkWidget*, GdkEventKey* event, NativeWindow* dialog) {
    const guint modifiers = event->state & gtk_accelerator_get_default_mod_mask();
    const bool plain = modifiers == 0;
    switch (event->keyval) {
        case GDK_KEY_Return:
        case GDK_KEY_KP_Enter:
        case GDK_KEY_ISO_Enter:
            if (!plain) {
                return FALSE;
            }
            PressEnter(*dialog);
            return TRUE;
        case GDK_KEY_Escape:
            if (!plain) {
                return FALSE;
            }
            SendCommand(*dialog, IDCANCEL, bn::clicked, nullptr);
            return TRUE;
        case GDK_KEY_Tab:
        case GDK_KEY_ISO_Left_Tab:
            if (modifiers & ~GDK_SHIFT_MASK) {
                return FALSE;
            }
            MoveFocus(*dialog, !(modifiers & GDK_SHIFT_MASK));
            return TRUE;
        case GDK_KEY_F10:
            if (modifiers != GDK_SHIFT_MASK) {
                return FALSE;
            }
            ShowContextMenu(*dialog, reinterpret_cast<GdkEvent*>(event));
            return TRUE;
        case GDK_KEY_Menu:
            ShowContextMenu(*dialog, reinterpret_cast<GdkEvent*>(event));
            return TRUE;
        default:
            return FALSE;
    }
}

gboolean OnDialogButton(GtkWidget*, GdkEventButton* event, NativeWindow* dialog) {
    if (!gdk_event_triggers_context_menu(reinterpret_cast<GdkEvent*>(event))) {
        return FALSE;
    }
    ShowContextMenu(*dialog, reinterpret_cast<GdkEvent*>(event));
    return TRUE;
}

// The close button asks for the system command Close, as the title bar's close box does.
gboolean OnDialogDelete(GtkWidget*, GdkEvent*, NativeWindow* dialog) {
    const Message close{wm::sysCommand, sc::close, 0, nullptr, nullptr};
    if (dialog->object) {
        DeliverMessage(*dialog->object, close);
    } else {
        window_backend::DefaultProcessing(dialog, close);
    }
    return TRUE;
}

void OnButtonClicked(GtkButton*, NativeWindow* control) {
    SendCommand(*control->parent, control->id, bn::clicked, control);
}

void OnComboChanged(GtkComboBox*, NativeWindow* control) {
    if (!control->selectingByProgram) {
        SendCommand(*control->parent, control->id, cbn::selChange, control);
    }
}

bool IsSecondClick(const NativeWindow& control, const GdkEventButton& event) {
    if (control.lastPressWasDouble) {
        return false;
    }
    GtkSettings* settings = gtk_widget_get_settings(control.widget);
    gint doubleClickTime = 0, doubleClickDistance = 0;
    g_object_get(settings, "gtk-double-click-time", &doubleClickTime, "gtk-double-click-distance",
                 &doubleClickDistance, nullptr);
    return event.time - control.lastPressTime <= static_cast<guint32>(doubleClickTime) &&
           std::abs(event.x - control.lastPressX) <= doubleClickDistance &&
           std::abs(event.y - control.lastPressY) <= doubleClickDistance;
}

// GTK reports the second press of a double click as a press of its own before the double press;
// like the system the templates come from, the static makes the second press its double click.
gboolean OnStaticPress(GtkWidget*, GdkEventButton* event, NativeWindow* control) {
    if (event->button != GDK_BUTTON_PRIMARY) {
        return FALSE;
    }
    if (event->type != GDK_BUTTON_PRESS) {
        return TRUE;
    }
    const bool second = IsSecondClick(*control, *event);
    control->lastPressWasDouble = second;
    control->lastPressTime = event->time;
    control->lastPressX = event->x;
    control->lastPressY = event->y;
    SendCommand(*control->parent, control->id, second ? stn::dblClk : stn::clicked, control);
    return TRUE;
}

// The window the pointer is over during a cursor request, for ShowCursorForRequest.
GdkWindow* g_cursorRequestWindow = nullptr;

gboolean OnPointerOver(GtkWidget*, GdkEvent* event, NativeWindow* control) {
    GdkWindow* outer = std::exchange(g_cursorRequestWindow, event->any.window);
    const Message request{wm::setCursor, reinterpret_cast<std::uintptr_t>(control),
                          static_cast<std::intptr_t>(hitClient | (wm::mouseMove << 16)),
                          control->object, nullptr};
    if (control->object) {
        DeliverMessage(*control->object, request);
    } else {
        window_backend::DefaultProcessing(control, request);
    }
    g_cursorRequestWindow = outer;
    return FALSE;
}

}  // namespace

void ConnectDialogInput(NativeWindow& dialog) {
    gtk_widget_add_events(dialog.widget, GDK_BUTTON_PRESS_MASK | GDK_KEY_PRESS_MASK);
    g_signal_connect(dialog.widget, "key-press-event", G_CALLBACK(OnDialogKey), &dialog);
    g_signal_connect(dialog.widget, "button-press-event", G_CALLBACK(OnDialogButton), &dialog);
    g_signal_connect(dialog.widget, "delete-event", G_CALLBACK(OnDialogDelete), &dialog);
}

void ConnectControlInput(NativeWindow& control) {
    switch (control.kind) {
        case WindowKind::pushButton:
            g_signal_connect(control.widget, "clicked", G_CALLBACK(OnButtonClicked), &control);
            break;
        case WindowKind::dropDownList:
            g_signal_connect(control.widget, "changed", G_CALLBACK(OnComboChanged), &control);
            break;
        case WindowKind::staticText:
            if (control.style & ts::staticNotify) {
                gtk_widget_add_events(control.widget, GDK_BUTTON_PRESS_MASK |
                                                          GDK_ENTER_NOTIFY_MASK |
                                                          GDK_POINTER_MOTION_MASK);
                g_signal_connect(control.widget, "button-press-event", G_CALLBACK(OnStaticPress),
                                 &control);
                g_signal_connect(control.widget, "enter-notify-event", G_CALLBACK(OnPointerOver),
                                 &control);
                g_signal_connect(control.widget, "motion-notify-event", G_CALLBACK(OnPointerOver),
                                 &control);
            }
            break;
        case WindowKind::dialog:
        case WindowKind::staticIcon:
        case WindowKind::groupBox:
            break;
    }
}

GdkWindow* CursorRequestWindow() {
    return g_cursorRequestWindow;
}

}  // namespace gtk_backend
