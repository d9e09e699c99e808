#include "framework/win32/CleanUpCommand.h"

#include "framework/win32/WideText.h"

namespace {

// Control characters, the no-break space and the spaces and invisible marks of Unicode: nothing
// that could pass for a separator or hide in a name.
bool IsSpaceOrControlBeyondAscii(wchar_t c) {
    return (c >= 0x80 && c <= 0xA0) || c == 0x1680 || (c >= 0x2000 && c <= 0x200F) ||
           (c >= 0x2028 && c <= 0x202F) || (c >= 0x205F && c <= 0x2064) || c == 0x3000 ||
           c == 0xFEFF;
}

// Letters, digits and the few marks that mean nothing to cmd or del; beyond ASCII, every letter.
bool IsPlainInCommand(wchar_t c) {
    if (c >= 0x80) return !IsSpaceOrControlBeyondAscii(c);
    if ((c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9'))
        return true;
    switch (c) {
        case L'\\':
        case L':':
        case L'.':
        case L'-':
        case L'_':
        case L'~':
            return true;
        default:
            return false;
    }
}

bool IsPlainInCommand(const std::wstring& text) {
    for (wchar_t c : text) {
        if (!IsPlainInCommand(c)) return false;
    }
    return true;
}

}  // namespace

std::optional<std::wstring> CleanUpCommandLine(const std::string& root, const std::string& suffix) {
    const std::optional<std::wstring> wideRoot = WideFromUtf8(root);
    const std::optional<std::wstring> wideSuffix = WideFromUtf8(suffix);
    if (!wideRoot || !wideSuffix || wideRoot->empty() || wideSuffix->empty() ||
        !IsPlainInCommand(*wideRoot) || !IsPlainInCommand(*wideSuffix))
        return std::nullopt;
    return L"cmd /c \"del /q " + *wideRoot + L"*" + *wideSuffix + L"\"";
}
