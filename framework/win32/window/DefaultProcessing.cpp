// Win32 backend: what the system does with a message no handler took is what the window's own
// procedure does with it (the dialog manager's, or the control's).
#include "framework/win32/window/Win32Window.h"

using namespace win32_backend;

namespace window_backend {

std::intptr_t DefaultProcessing(WindowHandle window, const Message& message) {
    // The framework's reflected colour request is its own; no system procedure knows it.
    if (message.id == wm::reflectedCtlColor) {
        return 0;
    }
    const HWND hwnd = Hwnd(window);
    const auto id = static_cast<UINT>(message.id);
    const auto wParam = static_cast<WPARAM>(message.wParam);
    const auto lParam = static_cast<LPARAM>(message.lParam);
    const WindowRecord* record = Record(hwnd);
    return record ? CallWindowProcW(record->systemProc, hwnd, id, wParam, lParam)
                  : DefWindowProcW(hwnd, id, wParam, lParam);
}

}  // namespace window_backend
