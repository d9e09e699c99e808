// Win32 backend: the program's resources, compiled into the executable by the resource compiler.
#include "framework/win32/WideText.h"
#include "framework/win32/window/Win32Window.h"

using namespace win32_backend;

namespace window_backend {

IconHandle LoadIconResource(unsigned id) {
    return reinterpret_cast<IconHandle>(LoadIconW(ProgramInstance(), MAKEINTRESOURCEW(id)));
}

std::string LoadStringResource(unsigned id) {
    // With no buffer the system hands out the resource's own text, which has no terminator.
    const wchar_t* text = nullptr;
    const int length = LoadStringW(ProgramInstance(), id, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || !text) {
        return std::string();
    }
    return Utf8FromWide(std::wstring(text, static_cast<std::size_t>(length)));
}

}  // namespace window_backend
