// Win32 backend: starting the window system, timers, and work handed to the window thread from
// any thread. Queued work is posted to a message-only window of the backend's, so that every
// message loop dispatches it, the system's own (message boxes, menus) included.
#include "framework/win32/window/Win32Window.h"

#include <objbase.h>

#include <atomic>

using namespace win32_backend;

namespace {

constexpr wchar_t kWorkWindowClass[] = L"VexlornQueuedWork";
constexpr UINT kRunQueuedWork = WM_APP + 1;

std::atomic<HWND> g_workWindow{nullptr};

LRESULT CALLBACK WorkWindowProc(HWND window, UINT id, WPARAM wParam, LPARAM lParam) {
    if (id == kRunQueuedWork) {
        const auto run = reinterpret_cast<void (*)(void*)>(wParam);
        run(reinterpret_cast<void*>(lParam));
        return 0;
    }
    return DefWindowProcW(window, id, wParam, lParam);
}

}  // namespace

namespace window_backend {

bool Initialise(const char*) {
    if (g_workWindow.load()) {
        return true;
    }
    // Opening an address may take a shell handler that is a COM object.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    WNDCLASSW workClass{};
    workClass.lpfnWndProc = &WorkWindowProc;
    workClass.hInstance = ProgramInstance();
    workClass.lpszClassName = kWorkWindowClass;
    if (!RegisterClassW(&workClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        return false;
    }
    g_workWindow = CreateWindowExW(0, kWorkWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   ProgramInstance(), nullptr);
    return g_workWindow.load() != nullptr;
}

bool StartTimer(WindowHandle window, std::uintptr_t id, unsigned milliseconds) {
    return SetTimer(Hwnd(window), static_cast<UINT_PTR>(id), milliseconds, nullptr) != 0;
}

bool StopTimer(WindowHandle window, std::uintptr_t id) {
    return KillTimer(Hwnd(window), static_cast<UINT_PTR>(id)) != FALSE;
}

bool QueueOnWindowThread(void (*run)(void* context), void* context) {
    // Without the window, a post would go to the calling thread's own queue and be lost.
    const HWND workWindow = g_workWindow.load();
    return workWindow && PostMessageW(workWindow, kRunQueuedWork, reinterpret_cast<WPARAM>(run),
                                      reinterpret_cast<LPARAM>(context)) != FALSE;
}

}  // namespace window_backend
