// GTK backend: the standard cursors of the display (loaded once, kept), and the cursor of the
// window a cursor request is about.
#include <map>

#include "framework/gtk/GtkBackend.h"

namespace window_backend {

CursorHandle LoadSystemCursor(StandardCursor which) {
    // Cursors are shared and never released: the registry lives as long as the process.
    static auto& loaded = *new std::map<StandardCursor, GdkCursor*>;
    if (const auto found = loaded.find(which); found != loaded.end()) {
        return reinterpret_cast<CursorHandle>(found->second);
    }
    GdkDisplay* display = gdk_display_get_default();
    GdkCursor* cursor = nullptr;
    if (display && which == StandardCursor::hand) {
        cursor = gdk_cursor_new_from_name(display, "pointer");
        if (!cursor) {
            cursor = gdk_cursor_new_for_display(display, GDK_HAND2);
        }
    }
    if (cursor) {
        loaded.emplace(which, cursor);
    }
    return reinterpret_cast<CursorHandle>(cursor);
}

void ShowCursorForRequest(CursorHandle cursor) {
    if (GdkWindow* window = gtk_backend::CursorRequestWindow()) {
        gdk_window_set_cursor(window, reinterpret_cast<GdkCursor*>(cursor));
    }
}

}  // namespace window_backend
