// Win32 backend: the system's standard cursors; a cursor request shows one with SetCursor.
#include "framework/win32/window/Win32Window.h"

using namespace win32_backend;

namespace {

constexpr unsigned kArrowCursor = 32512;  // IDC_ARROW, which names the A function's form

}  // namespace

namespace window_backend {

CursorHandle LoadSystemCursor(StandardCursor which) {
    return reinterpret_cast<CursorHandle>(
        LoadCursorW(nullptr, MAKEINTRESOURCEW(static_cast<unsigned>(which))));
}

void ShowCursorForRequest(CursorHandle cursor) {
    SetCursor(cursor ? reinterpret_cast<HCURSOR>(cursor)
                     : LoadCursorW(nullptr, MAKEINTRESOURCEW(kArrowCursor)));
}

}  // namespace window_backend
