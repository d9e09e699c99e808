// Win32 backend: the backend's records of its windows, the window procedure that hands the
// messages of the framework to the window's object (decoding the windows and device contexts
// they carry), and what the framework asks of any window.
#include <unordered_map>

#include "framework/win32/WideText.h"
#include "framework/win32/window/Win32Window.h"

namespace win32_backend {

// The framework numbers messages, colour kinds and cursors as the system does.
static_assert(wm::paint == WM_PAINT && wm::close == WM_CLOSE && wm::setCursor == WM_SETCURSOR &&
              wm::iconEraseBkgnd == WM_ICONERASEBKGND && wm::queryDragIcon == WM_QUERYDRAGICON &&
              wm::command == WM_COMMAND && wm::sysCommand == WM_SYSCOMMAND &&
              wm::timer == WM_TIMER && wm::ctlColorStatic == WM_CTLCOLORSTATIC &&
              wm::mouseMove == WM_MOUSEMOVE && wm::app == WM_APP);
static_assert(bn::clicked == BN_CLICKED && bn::doubleClicked == BN_DOUBLECLICKED &&
              stn::clicked == STN_CLICKED && stn::dblClk == STN_DBLCLK &&
              cbn::selChange == CBN_SELCHANGE && sc::close == SC_CLOSE);
static_assert(ctlColorStaticKind == CTLCOLOR_STATIC && hitClient == HTCLIENT);
static_assert(static_cast<unsigned>(StandardCursor::hand) == 32649);  // IDC_HAND
static_assert(static_cast<int>(BackgroundMode::transparent) == TRANSPARENT &&
              static_cast<int>(BackgroundMode::opaque) == OPAQUE);

namespace {

// Touched on the window thread only.
std::unordered_map<HWND, WindowRecord> g_records;

CWnd* ObjectOf(HWND window) {
    const WindowRecord* record = window ? Record(window) : nullptr;
    return record ? record->object : nullptr;
}

// The messages the framework's message maps take; the system's procedure has all others.
bool IsFrameworkMessage(UINT id) {
    switch (id) {
        case WM_PAINT:
        case WM_CLOSE:
        case WM_SETCURSOR:
        case WM_ICONERASEBKGND:
        case WM_QUERYDRAGICON:
        case WM_COMMAND:
        case WM_SYSCOMMAND:
        case WM_TIMER:
        case WM_CTLCOLORSTATIC:
            return true;
        default:
            return false;
    }
}

LRESULT Deliver(CWnd& object, UINT id, WPARAM wParam, LPARAM lParam) {
    Message message{id, wParam, lParam, nullptr, nullptr};
    switch (id) {
        case WM_COMMAND:
            message.window = ObjectOf(reinterpret_cast<HWND>(lParam));
            break;
        case WM_SETCURSOR:
            message.window = ObjectOf(reinterpret_cast<HWND>(wParam));
            break;
        case WM_CTLCOLORSTATIC: {
            CDC dc(reinterpret_cast<DeviceContextHandle>(wParam));
            message.window = ObjectOf(reinterpret_cast<HWND>(lParam));
            message.dc = &dc;
            return DeliverMessage(object, message);
        }
        default:
            break;
    }
    return DeliverMessage(object, message);
}

LRESULT CALLBACK BackendWindowProc(HWND window, UINT id, WPARAM wParam, LPARAM lParam) {
    const auto found = g_records.find(window);
    if (found == g_records.end()) {
        return DefWindowProcW(window, id, wParam, lParam);
    }
    const WNDPROC systemProc = found->second.systemProc;
    if (id == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(systemProc));
        g_records.erase(found);
        return CallWindowProcW(systemProc, window, id, wParam, lParam);
    }
    if (CWnd* object = found->second.object; object && IsFrameworkMessage(id)) {
        return Deliver(*object, id, wParam, lParam);
    }
    return CallWindowProcW(systemProc, window, id, wParam, lParam);
}

}  // namespace

bool Subclass(HWND window) {
    if (g_records.contains(window)) {
        return true;
    }
    const auto systemProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&BackendWindowProc)));
    if (!systemProc) {
        return false;
    }
    g_records[window].systemProc = systemProc;
    return true;
}

WindowRecord* Record(HWND window) {
    const auto found = g_records.find(window);
    return found == g_records.end() ? nullptr : &found->second;
}

std::wstring SystemText(const std::string& text) {
    if (std::optional<std::wstring> wide = WideFromUtf8(text)) {
        return *wide;
    }
    // Invalid sequences become U+FFFD; the text ends at a zero character, as the system's does.
    const std::string shown = text.substr(0, text.find('\0'));
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, shown.data(), static_cast<int>(shown.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0) {
        MultiByteToWideChar(CP_UTF8, 0, shown.data(), static_cast<int>(shown.size()), wide.data(),
                            length);
    }
    return wide;
}

HINSTANCE ProgramInstance() {
    return GetModuleHandleW(nullptr);
}

}  // namespace win32_backend

using namespace win32_backend;

namespace window_backend {

void SetWindowObject(WindowHandle window, CWnd* object) {
    if (WindowRecord* record = Record(Hwnd(window))) {
        record->object = object;
    }
}

CWnd* WindowObject(WindowHandle window) {
    return ObjectOf(Hwnd(window));
}

WindowHandle FindControl(WindowHandle dialog, int id) {
    return Handle(GetDlgItem(Hwnd(dialog), id));
}

WindowHandle ParentWindow(WindowHandle window) {
    const HWND hwnd = Hwnd(window);
    const bool isChild = (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD) != 0;
    return Handle(isChild ? GetParent(hwnd) : GetWindow(hwnd, GW_OWNER));
}

int ControlId(WindowHandle window) {
    return GetDlgCtrlID(Hwnd(window));
}

void SetText(WindowHandle window, const std::string& text) {
    SetWindowTextW(Hwnd(window), SystemText(text).c_str());
}

std::string Text(WindowHandle window) {
    const HWND hwnd = Hwnd(window);
    const int length = GetWindowTextLengthW(hwnd);
    if (length <= 0) {
        return std::string();
    }
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(hwnd, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return Utf8FromWide(text);
}

void Enable(WindowHandle window, bool enable) {
    EnableWindow(Hwnd(window), enable ? TRUE : FALSE);
}

bool IsEnabled(WindowHandle window) {
    return IsWindowEnabled(Hwnd(window)) != FALSE;
}

bool IsMinimised(WindowHandle window) {
    return IsIconic(Hwnd(window)) != FALSE;
}

CRect ClientRect(WindowHandle window) {
    RECT rect{};
    GetClientRect(Hwnd(window), &rect);
    return CRect(rect.left, rect.top, rect.right, rect.bottom);
}

void SetIcons(WindowHandle dialog, IconHandle smallIcon, IconHandle bigIcon) {
    const HWND hwnd = Hwnd(dialog);
    SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
    SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon));
}

}  // namespace window_backend
