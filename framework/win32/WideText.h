// The framework's texts are UTF-8; Windows takes and gives names as UTF-16 through its W
// functions, which work alike whatever the system's ANSI code page is.
#pragma once

#include <optional>
#include <string>

// The UTF-16 form of text, or nothing when text is not valid UTF-8 or holds a zero character.
std::optional<std::wstring> WideFromUtf8(const std::string& text);

// The UTF-8 form of text; a lone surrogate becomes U+FFFD.
std::string Utf8FromWide(const std::wstring& text);
