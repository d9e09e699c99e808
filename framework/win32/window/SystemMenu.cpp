// Win32 backend: the title bar's own system menu, to which the program appends its entries.
#include "framework/win32/window/Win32Window.h"

using namespace win32_backend;

namespace window_backend {

bool AppendSystemMenuEntry(WindowHandle dialog, unsigned flags, unsigned id,
                           const std::string& text) {
    const HMENU menu = GetSystemMenu(Hwnd(dialog), FALSE);
    if (!menu) {
        return false;
    }
    if (flags & MF_SEPARATOR) {
        return AppendMenuW(menu, MF_SEPARATOR, 0, nullptr) != FALSE;
    }
    const std::wstring entry = SystemText(text);
    return AppendMenuW(menu, flags, id, entry.c_str()) != FALSE;
}

void ResetSystemMenu(WindowHandle dialog) {
    GetSystemMenu(Hwnd(dialog), TRUE);
}

}  // namespace window_backend
