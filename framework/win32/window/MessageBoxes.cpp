// Win32 backend: message boxes, the system's own, owned by the dialog and modal to it. Their
// buttons say "确定" and "取消" whatever the system's language is (the box would otherwise take
// the captions of the system's language). An installed responder answers a box once it is on
// the screen, by pressing one of its buttons.
#include <algorithm>
#include <utility>
#include <vector>

#include "framework/DialogIds.h"
#include "framework/win32/window/Win32Window.h"

using namespace win32_backend;

namespace {

constexpr wchar_t kOkCaption[] = L"确定";
constexpr wchar_t kCancelCaption[] = L"取消";
constexpr int kTextId = 0xFFFF;  // the box's static holding its text
constexpr UINT_PTR kAnswerTimer = 1;

// The box this thread is showing, found when the system activates it.
struct PendingBox {
    HHOOK hook = nullptr;
    MessageBoxResponder responder;
    HWND box = nullptr;
};
PendingBox* g_pending = nullptr;  // the window thread's

std::wstring ClassName(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

ShownMessageBox ReadBack(HWND box) {
    ShownMessageBox shown;
    const HWND owner = GetWindow(box, GW_OWNER);
    shown.owner = Handle(owner);
    shown.ownerEnabled = owner && IsWindowEnabled(owner);
    shown.modal = !shown.ownerEnabled;
    shown.caption = window_backend::Text(Handle(box));
    if (const HWND text = GetDlgItem(box, kTextId)) {
        shown.text = window_backend::Text(Handle(text));
    }
    std::vector<std::pair<LONG, std::string>> buttons;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child)) {
            continue;
        }
        const std::wstring kind = ClassName(child);
        RECT place{};
        GetWindowRect(child, &place);
        if (_wcsicmp(kind.c_str(), L"Button") == 0) {
            buttons.emplace_back(place.left, window_backend::Text(Handle(child)));
        } else if (_wcsicmp(kind.c_str(), L"Static") == 0 &&
                   (GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
                   SendMessageW(child, STM_GETICON, 0, 0) != 0) {
            shown.hasIcon = true;
        }
    }
    std::stable_sort(buttons.begin(), buttons.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& button : buttons) {
        shown.buttons.push_back(std::move(button.second));
    }
    return shown;
}

void CALLBACK AnswerBox(HWND box, UINT, UINT_PTR timer, DWORD) {
    PendingBox* pending = g_pending;
    // While a box opened over this one is up, this one waits its turn.
    if (pending && pending->box != box) {
        return;
    }
    KillTimer(box, timer);
    if (!pending || !pending->responder) {
        return;
    }
    int answer = IDOK;
    try {
        answer = pending->responder(ReadBack(box));
    } catch (...) {
        // Nothing may unwind through the system's dispatch; the box is left to the user.
        return;
    }
    const int chosen = answer == IDCANCEL && GetDlgItem(box, IDCANCEL) ? IDCANCEL : IDOK;
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(chosen, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, chosen)));
}

// Watches the thread's windows for the box, the first dialog initialised after the hook is set:
// once initialised its buttons are there to be named (whether or not it is ever activated).
LRESULT CALLBACK WatchForBox(int code, WPARAM wParam, LPARAM lParam) {
    PendingBox* pending = g_pending;
    const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && pending && !pending->box && call->message == WM_INITDIALOG &&
        ClassName(call->hwnd) == L"#32770") {
        pending->box = call->hwnd;
        SetDlgItemTextW(call->hwnd, IDOK, kOkCaption);
        SetDlgItemTextW(call->hwnd, IDCANCEL, kCancelCaption);
        if (pending->responder) {
            SetTimer(call->hwnd, kAnswerTimer, 0, &AnswerBox);
        }
    }
    return CallNextHookEx(pending ? pending->hook : nullptr, code, wParam, lParam);
}

}  // namespace

namespace window_backend {

int ShowMessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                   MessageBoxButtons buttons, MessageBoxIcon icon) {
    UINT style = buttons == MessageBoxButtons::okCancel ? MB_OKCANCEL : MB_OK;
    if (icon == MessageBoxIcon::error) {
        style |= MB_ICONERROR;
    }
    if (!owner) {
        style |= MB_TASKMODAL;
    }
    PendingBox pending;
    pending.responder = InstalledMessageBoxResponder();
    PendingBox* outer = std::exchange(g_pending, &pending);
    pending.hook =
        SetWindowsHookExW(WH_CALLWNDPROCRET, &WatchForBox, nullptr, GetCurrentThreadId());
    const int answer =
        MessageBoxW(Hwnd(owner), SystemText(text).c_str(), SystemText(caption).c_str(), style);
    if (pending.hook) {
        UnhookWindowsHookEx(pending.hook);
    }
    g_pending = outer;
    if (answer == IDOK || answer == IDCANCEL) {
        return answer;
    }
    // No box could be shown, or it was closed without a button: the safe answer.
    return buttons == MessageBoxButtons::okCancel ? IDCANCEL : IDOK;
}

}  // namespace window_backend
