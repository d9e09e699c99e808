// What the sources of the Win32 backend share. A window handle of the framework is the HWND
// itself; every dialog the backend makes, and every control on it, is subclassed by the
// backend's window procedure, which hands the messages the framework knows to the window's
// object and everything else to the system's own procedure.
#pragma once

#include "framework/win32/Win32Api.h"

#include <string>

#include "framework/WindowBackend.h"

namespace win32_backend {

// What the backend keeps for one window it has subclassed.
struct WindowRecord {
    WNDPROC systemProc = nullptr;  // the window class's own procedure
    CWnd* object = nullptr;
    bool modalEnded = false;   // dialogs: set by EndModalLoop
    bool focusOnShow = false;  // dialogs: the first tab stop takes the focus once shown
    PAINTSTRUCT paint{};       // while a paint context is open
};

inline HWND Hwnd(WindowHandle window) {
    return reinterpret_cast<HWND>(window);
}
inline WindowHandle Handle(HWND window) {
    return reinterpret_cast<WindowHandle>(window);
}

// Subclasses window, once. False when the system refuses.
bool Subclass(HWND window);
// The record of a subclassed window; null for any other.
WindowRecord* Record(HWND window);

// UTF-16 for the system: text that is not valid UTF-8 shows replacement characters.
std::wstring SystemText(const std::string& text);

// The module the program's resources are in.
HINSTANCE ProgramInstance();

}  // namespace win32_backend
