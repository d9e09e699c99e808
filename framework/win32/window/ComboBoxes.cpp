// Win32 backend: drop-down lists, through the combo box's own messages.
#include "framework/win32/WideText.h"
#include "framework/win32/window/Win32Window.h"

using namespace win32_backend;

namespace {

int SendToCombo(WindowHandle combo, UINT id, WPARAM wParam = 0, LPARAM lParam = 0) {
    return static_cast<int>(SendMessageW(Hwnd(combo), id, wParam, lParam));
}

}  // namespace

namespace window_backend {

int ComboAddItem(WindowHandle combo, const std::string& text) {
    const std::wstring item = SystemText(text);
    return SendToCombo(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
}

int ComboSelect(WindowHandle combo, int index) {
    return SendToCombo(combo, CB_SETCURSEL, static_cast<WPARAM>(index));
}

int ComboSelection(WindowHandle combo) {
    return SendToCombo(combo, CB_GETCURSEL);
}

int ComboCount(WindowHandle combo) {
    const int count = SendToCombo(combo, CB_GETCOUNT);
    return count == CB_ERR ? 0 : count;
}

bool ComboItemText(WindowHandle combo, int index, std::string& text) {
    if (index < 0) {
        return false;
    }
    const int length = SendToCombo(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index));
    if (length == CB_ERR) {
        return false;
    }
    std::wstring item(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = SendToCombo(combo, CB_GETLBTEXT, static_cast<WPARAM>(index),
                                   reinterpret_cast<LPARAM>(item.data()));
    if (copied == CB_ERR) {
        return false;
    }
    item.resize(static_cast<std::size_t>(copied));
    text = Utf8FromWide(item);
    return true;
}

}  // namespace window_backend
