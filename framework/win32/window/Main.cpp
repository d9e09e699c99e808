// Win32 backend: the program's entry. Hands over to the framework with the path of the
// executable, as the system names it.
#include "framework/win32/Win32Api.h"

#include <string>

#include "framework/ProgramEntry.h"
#include "framework/win32/WideText.h"

namespace {

std::wstring ExecutablePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return std::wstring();
        }
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const std::string path = Utf8FromWide(ExecutablePath());
    if (!AfxWinInit(path.c_str())) {
        return 1;
    }
    return AfxWinMain(path);
}
