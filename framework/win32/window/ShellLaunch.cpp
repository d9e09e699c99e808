// Win32 backend: an address opens in the program the user has for it.
#include "framework/win32/window/Win32Window.h"

#include <shellapi.h>

using namespace win32_backend;

namespace window_backend {

bool LaunchDefaultHandler(const std::string& address) {
    const std::wstring target = SystemText(address);
    const HINSTANCE result =
        ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    // Values above 32 mean success.
    return reinterpret_cast<INT_PTR>(result) > 32;
}

}  // namespace window_backend
