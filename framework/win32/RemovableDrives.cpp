// Windows: the drive roots from GetLogicalDriveStringsW, the removable ones by GetDriveTypeW. The
// system view is the running system's own; the mount table and device tree it names are Linux's.
#include "framework/RemovableDrives.h"

#include "framework/win32/Win32Api.h"

#include <optional>

#include "framework/win32/WideText.h"

std::vector<std::string> ListRemovableDriveRoots() {
    std::vector<std::string> roots;
    const DWORD length = GetLogicalDriveStringsW(0, nullptr);
    if (length == 0) return roots;
    // Room for the list and its closing empty string even if a drive appears between the calls.
    std::wstring list(length + 2, L'\0');
    const DWORD filled = GetLogicalDriveStringsW(length + 2, list.data());
    if (filled == 0 || filled > length + 2) return roots;
    for (const wchar_t* root = list.c_str(); *root != L'\0'; root += wcslen(root) + 1) {
        if (GetDriveTypeW(root) == DRIVE_REMOVABLE) roots.push_back(Utf8FromWide(root));
    }
    return roots;
}

std::vector<std::string> ListRemovableDriveRoots(const SystemView&) {
    return ListRemovableDriveRoots();
}

bool IsOnRemovableMedium(const std::string& path) {
    const std::optional<std::wstring> widePath = WideFromUtf8(path);
    if (!widePath || widePath->empty()) return false;
    wchar_t volume[MAX_PATH + 1];
    if (!GetVolumePathNameW(widePath->c_str(), volume, MAX_PATH + 1)) return false;
    return GetDriveTypeW(volume) == DRIVE_REMOVABLE;
}

bool IsOnRemovableMedium(const std::string& path, const SystemView&) {
    return IsOnRemovableMedium(path);
}
