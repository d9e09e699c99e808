// Win32 backend: dialogs from the templates compiled into the program, made hidden by the
// system's dialog manager (which lays them out and gives them their tab order and default
// button), placed over their owner, and run in a modal loop of the backend's own.
#include <cstring>
#include <stdexcept>
#include <vector>

#include "framework/DialogLayout.h"
#include "framework/win32/window/Win32Window.h"

using namespace win32_backend;

namespace {

constexpr WORD kDialogResourceType = 5;  // RT_DIALOG, which names the A function's form

// The template with its visible style taken off, so that the dialog shows only once it has been
// initialised and placed. Empty when the program has no such template.
std::vector<DWORD> HiddenTemplate(unsigned id) {
    const HINSTANCE instance = ProgramInstance();
    const HRSRC found =
        FindResourceW(instance, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(kDialogResourceType));
    const HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    const DWORD size = found ? SizeofResource(instance, found) : 0;
    // A template is a few hundred bytes; anything beyond 64 KiB is not one.
    if (!bytes || size < sizeof(DLGTEMPLATE) || size > 0x10000) {
        return {};
    }
    // Templates are read as DWORDs, so the copy is kept DWORD-aligned.
    std::vector<DWORD> copy((size + sizeof(DWORD) - 1) / sizeof(DWORD), 0);
    std::memcpy(copy.data(), bytes, size);
    WORD head[2];
    std::memcpy(head, bytes, sizeof head);
    const bool extended = head[0] == 1 && head[1] == 0xFFFF;
    // DLGTEMPLATEEX: version, signature, help id, extended style, style; DLGTEMPLATE: style first.
    const std::size_t styleIndex = extended ? 3 : 0;
    if (styleIndex >= copy.size()) {
        return {};
    }
    copy[styleIndex] &= ~static_cast<DWORD>(WS_VISIBLE);
    return copy;
}

// Everything goes to the backend's window procedure; the dialog manager does the rest.
INT_PTR CALLBACK DialogProc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

CRect ToCRect(const RECT& rect) {
    return CRect(rect.left, rect.top, rect.right, rect.bottom);
}

void FocusFirstTabStopNow(HWND dialog) {
    if (const HWND first = GetNextDlgTabItem(dialog, nullptr, FALSE)) {
        SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(first), TRUE);
    }
}

}  // namespace

namespace window_backend {

WindowHandle CreateDialogWindow(unsigned templateId, WindowHandle owner, CWnd* object) {
    const std::vector<DWORD> source = HiddenTemplate(templateId);
    if (source.empty()) {
        return nullptr;
    }
    const HWND dialog = CreateDialogIndirectParamW(ProgramInstance(),
                                                   reinterpret_cast<LPCDLGTEMPLATEW>(source.data()),
                                                   Hwnd(owner), &DialogProc, 0);
    if (!dialog) {
        throw std::runtime_error("dialog " + std::to_string(templateId) +
                                 " could not be made (error " + std::to_string(GetLastError()) +
                                 ")");
    }
    bool subclassed = Subclass(dialog);
    for (HWND control = GetWindow(dialog, GW_CHILD); control && subclassed;
         control = GetWindow(control, GW_HWNDNEXT)) {
        subclassed = Subclass(control);
    }
    if (!subclassed) {
        DestroyWindow(dialog);
        throw std::runtime_error("dialog " + std::to_string(templateId) +
                                 " could not take the framework's messages");
    }
    Record(dialog)->object = object;
    return Handle(dialog);
}

void DestroyDialogWindow(WindowHandle dialog) {
    DestroyWindow(Hwnd(dialog));
}

CRect MapDialogUnits(WindowHandle dialog, const CRect& dialogUnits) {
    RECT rect{dialogUnits.left, dialogUnits.top, dialogUnits.right, dialogUnits.bottom};
    MapDialogRect(Hwnd(dialog), &rect);
    return ToCRect(rect);
}

void ShowDialog(WindowHandle dialog, WindowHandle owner) {
    const HWND hwnd = Hwnd(dialog);
    const HWND ownerHwnd = Hwnd(owner);
    RECT placed{};
    GetWindowRect(hwnd, &placed);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(ownerHwnd ? ownerHwnd : hwnd, MONITOR_DEFAULTTOPRIMARY),
                    &monitor);
    RECT ownerRect{};
    const bool overOwner = ownerHwnd && IsWindowVisible(ownerHwnd) && !IsIconic(ownerHwnd) &&
                           GetWindowRect(ownerHwnd, &ownerRect);
    const CRect ownerArea = ToCRect(ownerRect);
    const CRect position =
        CentredWindowRect(placed.right - placed.left, placed.bottom - placed.top,
                          overOwner ? &ownerArea : nullptr, ToCRect(monitor.rcWork));
    SetWindowPos(hwnd, nullptr, position.left, position.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(hwnd, SW_SHOW);
    SetForegroundWindow(hwnd);
    if (WindowRecord* record = Record(hwnd); record && record->focusOnShow) {
        record->focusOnShow = false;
        FocusFirstTabStopNow(hwnd);
    }
}

void FocusFirstTabStop(WindowHandle dialog) {
    const HWND hwnd = Hwnd(dialog);
    if (IsWindowVisible(hwnd)) {
        FocusFirstTabStopNow(hwnd);
    } else if (WindowRecord* record = Record(hwnd)) {
        record->focusOnShow = true;
    }
}

void RunModalLoop(WindowHandle dialog) {
    const HWND hwnd = Hwnd(dialog);
    MSG message{};
    // The record is looked up afresh each time: a handler may have destroyed the dialog.
    for (WindowRecord* record = Record(hwnd); record && !record->modalEnded;
         record = Record(hwnd)) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == -1) {
            break;
        }
        if (got == 0) {
            // The program is being asked to quit: the loops outside this one must see it too.
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (!IsDialogMessageW(hwnd, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    if (WindowRecord* record = Record(hwnd)) {
        record->modalEnded = false;
    }
}

void EndModalLoop(WindowHandle dialog) {
    const HWND hwnd = Hwnd(dialog);
    if (WindowRecord* record = Record(hwnd)) {
        record->modalEnded = true;
        // Wakes the loop, which may be waiting for a message.
        PostMessageW(hwnd, WM_NULL, 0, 0);
    }
}

void ActivateWindow(WindowHandle window) {
    SetActiveWindow(Hwnd(window));
}

}  // namespace window_backend
