// GTK backend: what the system does with messages no handler took: the system command Close
// (the close button) closes, closing a dialog cancels it, a control's cursor request goes to
// its dialog and else shows the normal cursor, and the icon background is the window's own.
#include "framework/DialogIds.h"
#include "framework/gtk/GtkBackend.h"

using namespace gtk_backend;

namespace {

std::intptr_t DefaultSysCommand(NativeWindow& window, unsigned command) {
    if (window.kind != WindowKind::dialog) {
        return 0;
    }
    if ((command & 0xFFF0) == sc::close && window.object) {
        DeliverMessage(*window.object, Message{wm::close, 0, 0, nullptr, nullptr});
    }
    return 0;
}

std::intptr_t DefaultSetCursor(NativeWindow& window, const Message& message) {
    if (window.kind != WindowKind::dialog) {
        NativeWindow& dialog = *window.parent;
        if (dialog.object && DeliverMessage(*dialog.object, message) != 0) {
            return 1;
        }
        window_backend::ShowCursorForRequest(nullptr);
    } else if (message.wParam == reinterpret_cast<std::uintptr_t>(&window)) {
        window_backend::ShowCursorForRequest(nullptr);
    }
    return 0;
}

std::intptr_t EraseIconBackground(NativeWindow& window, const Message& message) {
    auto* dc = reinterpret_cast<DeviceContextHandle>(message.wParam);
    if (!dc || !dc->cairo) {
        return 0;
    }
    gtk_render_background(gtk_widget_get_style_context(window.widget), dc->cairo, 0, 0,
                          gtk_widget_get_allocated_width(window.widget),
                          gtk_widget_get_allocated_height(window.widget));
    return 1;
}

}  // namespace

namespace window_backend {

std::intptr_t DefaultProcessing(WindowHandle window, const Message& message) {
    switch (message.id) {
        case wm::sysCommand:
            return DefaultSysCommand(*window, static_cast<unsigned>(message.wParam));
        case wm::close:
            if (window->kind == WindowKind::dialog) {
                SendCommand(*window, IDCANCEL, bn::clicked, nullptr);
            }
            return 0;
        case wm::setCursor:
            return DefaultSetCursor(*window, message);
        case wm::iconEraseBkgnd:
            return EraseIconBackground(*window, message);
        default:
            return 0;
    }
}

}  // namespace window_backend
