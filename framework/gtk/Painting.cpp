// GTK backend: device contexts over cairo, the colour request a static text sends its dialog
// before it is drawn (the answer becomes the label's style), and the dialog's paint message
// after GTK has drawn it.
#include <cstdio>
#include <utility>

#include "framework/gtk/GtkBackend.h"

using namespace gtk_backend;

struct BrushTag {};

namespace {

BrushTag g_hollowBrush;

std::string CssColor(ColorValue color) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", RedOf(color), GreenOf(color), BlueOf(color));
    return text;
}

void ApplyColors(NativeWindow& control, const AppliedColors& colors) {
    if (!control.colorStyle) {
        control.colorStyle = gtk_css_provider_new();
        gtk_style_context_add_provider(gtk_widget_get_style_context(control.label),
                                       GTK_STYLE_PROVIDER(control.colorStyle),
                                       GTK_STYLE_PROVIDER_PRIORITY_APPLICATION + 1);
    }
    std::string css;
    if (colors.custom) {
        css = "label { color: " + CssColor(colors.text) + "; background-color: " +
              (colors.opaqueBackground ? CssColor(colors.background) : std::string("transparent")) +
              "; }";
    }
    gtk_css_provider_load_from_data(control.colorStyle, css.c_str(), -1, nullptr);
    control.colors = colors;
}

// Asks the dialog what colours control is drawn in, as the system asks before painting a static.
void RequestColors(NativeWindow& control, cairo_t* cairo) {
    NativeWindow& dialog = *control.parent;
    if (!dialog.object) {
        return;
    }
    DeviceContextTag context{cairo};
    CDC dc(&context);
    const Message request{wm::ctlColorStatic, reinterpret_cast<std::uintptr_t>(&context),
                          reinterpret_cast<std::intptr_t>(&control), control.object, &dc};
    AppliedColors wanted;
    if (DeliverMessage(*dialog.object, request) != 0) {
        wanted.custom = true;
        wanted.text = context.textColor;
        wanted.opaqueBackground = context.backgroundMode == BackgroundMode::opaque;
        wanted.background = context.backgroundColor;
    }
    if (!(wanted == control.colors)) {
        ApplyColors(control, wanted);
    }
}

gboolean OnStaticDraw(GtkWidget*, cairo_t* cairo, NativeWindow* control) {
    RequestColors(*control, cairo);
    return FALSE;
}

void OnStaticMap(GtkWidget*, NativeWindow* control) {
    RequestColors(*control, nullptr);
}

gboolean OnDialogDrawn(GtkWidget*, cairo_t* cairo, NativeWindow* dialog) {
    if (!dialog->object) {
        return FALSE;
    }
    DeviceContextTag context{cairo};
    DeviceContextHandle outer = std::exchange(dialog->dialog->paintContext, &context);
    DeliverMessage(*dialog->object, Message{wm::paint, 0, 0, nullptr, nullptr});
    dialog->dialog->paintContext = outer;
    return FALSE;
}

}  // namespace

namespace gtk_backend {

void ConnectControlColors(NativeWindow& control) {
    g_signal_connect(control.label, "draw", G_CALLBACK(OnStaticDraw), &control);
    g_signal_connect(control.label, "map", G_CALLBACK(OnStaticMap), &control);
}

void ReleaseControlColors(NativeWindow& control) {
    if (control.colorStyle) {
        g_object_unref(std::exchange(control.colorStyle, nullptr));
    }
}

void ConnectDialogPaint(NativeWindow& dialog) {
    g_signal_connect_after(dialog.widget, "draw", G_CALLBACK(OnDialogDrawn), &dialog);
}

}  // namespace gtk_backend

namespace window_backend {

DeviceContextHandle BeginPaintContext(WindowHandle window) {
    return window->dialog ? window->dialog->paintContext : nullptr;
}

void EndPaintContext(WindowHandle, DeviceContextHandle) {}

ColorValue SetDeviceTextColor(DeviceContextHandle dc, ColorValue color) {
    return dc ? std::exchange(dc->textColor, color) : 0;
}

ColorValue SetDeviceBkColor(DeviceContextHandle dc, ColorValue color) {
    return dc ? std::exchange(dc->backgroundColor, color) : 0;
}

BackgroundMode SetDeviceBkMode(DeviceContextHandle dc, BackgroundMode mode) {
    return dc ? std::exchange(dc->backgroundMode, mode) : BackgroundMode::opaque;
}

ColorValue DeviceTextColor(DeviceContextHandle dc) {
    return dc ? dc->textColor : 0;
}

ColorValue DeviceBkColor(DeviceContextHandle dc) {
    return dc ? dc->backgroundColor : 0;
}

BackgroundMode DeviceBkMode(DeviceContextHandle dc) {
    return dc ? dc->backgroundMode : BackgroundMode::opaque;
}

bool DrawIconOnDevice(DeviceContextHandle dc, int x, int y, IconHandle icon) {
    GdkPixbuf* image = IconImage(icon, SystemIconSize());
    if (!dc || !dc->cairo || !image) {
        return false;
    }
    cairo_save(dc->cairo);
    gdk_cairo_set_source_pixbuf(dc->cairo, image, x, y);
    cairo_paint(dc->cairo);
    cairo_restore(dc->cairo);
    return true;
}

BrushHandle HollowBrush() {
    return &g_hollowBrush;
}

}  // namespace window_backend
