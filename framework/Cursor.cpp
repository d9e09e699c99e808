#include "framework/Cursor.h"

#include "framework/WindowBackend.h"

CursorHandle LoadStandardCursor(StandardCursor which) {
    return window_backend::LoadSystemCursor(which);
}

void SetPointerCursor(CursorHandle cursor) {
    window_backend::ShowCursorForRequest(cursor);
}
