// GTK backend: dialogs from templates (a GtkWindow with a GtkFixed client area and the controls
// at their template positions, in template order), their placement and their modal loops.
#include <charconv>
#include <stdexcept>

#include "framework/ScriptResources.h"
#include "framework/gtk/GtkBackend.h"

using namespace gtk_backend;
namespace ts = template_style;

namespace {

GtkWidget* MakeLabel(const NativeWindow& control, float xalign) {
    GtkWidget* label = gtk_label_new(nullptr);
    if (control.style & ts::staticNoPrefix) {
        gtk_label_set_text(GTK_LABEL(label), DisplayText(control.text).c_str());
    } else {
        gtk_label_set_text_with_mnemonic(GTK_LABEL(label), MnemonicText(control.text).c_str());
    }
    gtk_label_set_xalign(GTK_LABEL(label), xalign);
    gtk_label_set_yalign(GTK_LABEL(label), 0);
    gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
    gtk_label_set_line_wrap_mode(GTK_LABEL(label), PANGO_WRAP_WORD_CHAR);
    return label;
}

void MakeButton(NativeWindow& control) {
    const std::uint32_t type = control.style & ts::buttonTypeMask;
    if (type == ts::pushButton || type == ts::defPushButton) {
        control.kind = WindowKind::pushButton;
        control.widget = gtk_button_new_with_mnemonic(MnemonicText(control.text).c_str());
        control.label = gtk_bin_get_child(GTK_BIN(control.widget));
        if (control.style & ts::buttonMultiLine) {
            gtk_label_set_line_wrap(GTK_LABEL(control.label), TRUE);
            gtk_label_set_justify(GTK_LABEL(control.label), GTK_JUSTIFY_CENTER);
        }
        gtk_widget_set_can_default(control.widget, type == ts::defPushButton);
    } else if (type == ts::groupBox) {
        control.kind = WindowKind::groupBox;
        control.widget = gtk_frame_new(nullptr);
        control.label = gtk_label_new_with_mnemonic(MnemonicText(control.text).c_str());
        gtk_frame_set_label_widget(GTK_FRAME(control.widget), control.label);
    } else {
        throw std::runtime_error("unsupported button style " + std::to_string(type));
    }
}

void MakeStatic(NativeWindow& control, IconHandle icon, int& width, int& height) {
    const std::uint32_t type = control.style & ts::staticTypeMask;
    if (type == ts::staticIcon) {
        // An icon control takes the size of its icon.
        control.kind = WindowKind::staticIcon;
        width = height = window_backend::SystemIconSize();
        GdkPixbuf* image = IconImage(icon, width);
        control.widget = image ? gtk_image_new_from_pixbuf(image) : gtk_image_new();
        gtk_widget_set_halign(control.widget, GTK_ALIGN_START);
        gtk_widget_set_valign(control.widget, GTK_ALIGN_START);
    } else if (type == ts::staticLeft || type == ts::staticCenter || type == ts::staticRight) {
        control.kind = WindowKind::staticText;
        const float xalign = type == ts::staticLeft ? 0.0f : type == ts::staticCenter ? 0.5f : 1.0f;
        control.label = MakeLabel(control, xalign);
        if (control.style & ts::staticNotify) {
            // Only a static that reports clicks takes pointer input, on a window of its own.
            control.widget = gtk_event_box_new();
            gtk_event_box_set_visible_window(GTK_EVENT_BOX(control.widget), FALSE);
            gtk_container_add(GTK_CONTAINER(control.widget), control.label);
        } else {
            control.widget = control.label;
        }
    } else {
        throw std::runtime_error("unsupported static style " + std::to_string(type));
    }
}

std::unique_ptr<NativeWindow> MakeControl(const ControlTemplate& source, IconHandle icon,
                                          NativeWindow& dialog) {
    auto control = std::make_unique<NativeWindow>();
    control->id = source.id;
    control->style = source.style;
    control->text = source.text;
    control->parent = &dialog;
    const CRect rect =
        DialogUnitsToPixels(CRect(source.x, source.y, source.x + source.cx, source.y + source.cy),
                            dialog.dialog->baseUnits);
    int width = rect.Width();
    int height = rect.Height();
    if (source.windowClass == "Button") {
        MakeButton(*control);
    } else if (source.windowClass == "Static") {
        MakeStatic(*control, icon, width, height);
    } else if (source.windowClass == "ComboBox" &&
               (source.style & ts::comboTypeMask) == ts::comboDropDownList &&
               !(source.style & ts::comboSort)) {
        // The template's height is that of the dropped list; the box itself is one line high.
        control->kind = WindowKind::dropDownList;
        control->widget = gtk_combo_box_text_new();
        // Enabled and focusable also while it is empty, as the program fills it later.
        gtk_combo_box_set_button_sensitivity(GTK_COMBO_BOX(control->widget), GTK_SENSITIVITY_ON);
        height = -1;
    } else {
        throw std::runtime_error("unsupported control " + source.statement + " of class " +
                                 source.windowClass);
    }
    gtk_widget_set_size_request(control->widget, width, height);
    gtk_widget_set_sensitive(control->widget, !(source.style & ts::disabled));
    gtk_fixed_put(GTK_FIXED(dialog.dialog->fixed), control->widget, rect.left, rect.top);
    if (control->kind == WindowKind::pushButton &&
        (source.style & ts::buttonTypeMask) == ts::defPushButton) {
        gtk_window_set_default(GTK_WINDOW(dialog.widget), control->widget);
    }
    if (source.style & ts::visible) {
        gtk_widget_show_all(control->widget);
    }
    g_object_set_data(G_OBJECT(control->widget), "native-window", control.get());
    ConnectControlInput(*control);
    if (control->kind == WindowKind::staticText) {
        ConnectControlColors(*control);
    }
    return control;
}

void BuildDialog(NativeWindow& dialog, const DialogTemplate& source,
                 const std::vector<IconHandle>& controlIcons, NativeWindow* owner) {
    GtkWindow* window = GTK_WINDOW(dialog.widget);
    gtk_window_set_title(window, source.caption.c_str());
    gtk_window_set_resizable(window, FALSE);
    gtk_window_set_type_hint(window, GDK_WINDOW_TYPE_HINT_DIALOG);
    gtk_window_set_skip_taskbar_hint(window,
                                     owner != nullptr && !(source.exStyle & ts::exAppWindow));
    if (owner) {
        gtk_window_set_transient_for(window, GTK_WINDOW(owner->widget));
        gtk_window_set_modal(window, TRUE);
    }

    // The client area and the controls on it are in the dialog font; the title is the system's.
    const std::string family = DialogFontFamily(source.fontFace);
    const int pointSize = source.fontPoint > 0 ? source.fontPoint : 9;
    dialog.dialog->fixed = gtk_fixed_new();
    gtk_style_context_add_class(gtk_widget_get_style_context(dialog.dialog->fixed),
                                DialogStyleClass(family, pointSize).c_str());
    dialog.dialog->baseUnits = MeasureBaseUnits(dialog.widget, family, pointSize);

    const CRect client =
        DialogUnitsToPixels(CRect(0, 0, source.cx, source.cy), dialog.dialog->baseUnits);
    gtk_widget_set_size_request(dialog.dialog->fixed, client.Width(), client.Height());
    gtk_container_add(GTK_CONTAINER(window), dialog.dialog->fixed);
    gtk_widget_show(dialog.dialog->fixed);

    for (std::size_t i = 0; i < source.controls.size(); ++i) {
        const IconHandle icon = i < controlIcons.size() ? controlIcons[i] : nullptr;
        dialog.dialog->controls.push_back(MakeControl(source.controls[i], icon, dialog));
    }
}

// The icon each icon control of the template shows: the icon resource its text numbers.
std::vector<IconHandle> ControlIcons(const DialogTemplate& source) {
    std::vector<IconHandle> icons;
    for (const ControlTemplate& control : source.controls) {
        unsigned number = 0;
        const char* end = control.text.data() + control.text.size();
        const bool isIcon = control.windowClass == "Static" &&
                            (control.style & ts::staticTypeMask) == ts::staticIcon &&
                            std::from_chars(control.text.data(), end, number).ptr == end;
        icons.push_back(isIcon ? window_backend::LoadIconResource(number) : nullptr);
    }
    return icons;
}

}  // namespace

namespace window_backend {

WindowHandle CreateDialogWindow(unsigned templateId, WindowHandle owner, CWnd* object) {
    const auto& dialogs = ProgramResources().dialogs;
    const auto found = dialogs.find(static_cast<int>(templateId));
    if (found == dialogs.end()) {
        return nullptr;
    }
    const DialogTemplate& source = found->second;
    auto dialog = std::make_unique<NativeWindow>();
    dialog->kind = WindowKind::dialog;
    dialog->object = object;
    dialog->style = source.style;
    dialog->text = source.caption;
    dialog->parent = owner;
    dialog->dialog = std::make_unique<DialogParts>();
    dialog->widget = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    g_object_set_data(G_OBJECT(dialog->widget), "native-window", dialog.get());
    try {
        BuildDialog(*dialog, source, ControlIcons(source), owner);
    } catch (...) {
        gtk_widget_destroy(dialog->widget);
        throw;
    }
    dialog->dialog->modalLoop = g_main_loop_new(nullptr, FALSE);
    ConnectDialogInput(*dialog);
    ConnectDialogPaint(*dialog);
    return dialog.release();
}

void DestroyDialogWindow(WindowHandle dialog) {
    std::unique_ptr<NativeWindow> record(dialog);
    StopAllTimers(*record);
    for (const auto& control : record->dialog->controls) {
        StopAllTimers(*control);
        ReleaseControlColors(*control);
    }
    DestroyContextMenu(*record);
    gtk_widget_destroy(record->widget);
    g_main_loop_unref(record->dialog->modalLoop);
}

CRect MapDialogUnits(WindowHandle dialog, const CRect& dialogUnits) {
    return DialogUnitsToPixels(dialogUnits, dialog->dialog->baseUnits);
}

void ShowDialog(WindowHandle dialog, WindowHandle owner) {
    GtkWindow* window = GTK_WINDOW(dialog->widget);
    GtkRequisition size;
    gtk_widget_get_preferred_size(dialog->widget, nullptr, &size);

    GdkDisplay* display = gtk_widget_get_display(dialog->widget);
    GdkWindow* ownerWindow = owner ? gtk_widget_get_window(owner->widget) : nullptr;
    GdkMonitor* monitor = ownerWindow ? gdk_display_get_monitor_at_window(display, ownerWindow)
                                      : gdk_display_get_primary_monitor(display);
    if (!monitor) {
        monitor = gdk_display_get_monitor(display, 0);
    }
    GdkRectangle area{0, 0, size.width, size.height};
    if (monitor) {
        gdk_monitor_get_workarea(monitor, &area);
    }

    CRect ownerRect;
    if (owner) {
        int x = 0, y = 0, width = 0, height = 0;
        gtk_window_get_position(GTK_WINDOW(owner->widget), &x, &y);
        gtk_window_get_size(GTK_WINDOW(owner->widget), &width, &height);
        ownerRect = CRect(x, y, x + width, y + height);
    }
    const CRect placed =
        CentredWindowRect(size.width, size.height, owner ? &ownerRect : nullptr,
                          CRect(area.x, area.y, area.x + area.width, area.y + area.height));
    gtk_window_move(window, placed.left, placed.top);
    gtk_widget_show(dialog->widget);
    gtk_window_present(window);
}

void FocusFirstTabStop(WindowHandle dialog) {
    for (const auto& control : dialog->dialog->controls) {
        if ((control->style & ts::tabStop) && gtk_widget_get_visible(control->widget) &&
            gtk_widget_get_sensitive(control->widget)) {
            gtk_widget_grab_focus(control->widget);
            return;
        }
    }
}

void RunModalLoop(WindowHandle dialog) {
    g_main_loop_run(dialog->dialog->modalLoop);
}

void EndModalLoop(WindowHandle dialog) {
    g_main_loop_quit(dialog->dialog->modalLoop);
}

void ActivateWindow(WindowHandle window) {
    if (window->kind == WindowKind::dialog) {
        gtk_window_present(GTK_WINDOW(window->widget));
    }
}

}  // namespace window_backend

namespace gtk_backend {

NativeWindow* ControlWithFocus(NativeWindow& dialog) {
    GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(dialog.widget));
    if (!focus) {
        return nullptr;
    }
    for (const auto& control : dialog.dialog->controls) {
        if (focus == control->widget || gtk_widget_is_ancestor(focus, control->widget)) {
            return control.get();
        }
    }
    return nullptr;
}

}  // namespace gtk_backend
