#include "framework/FileNameMatch.h"

#include <algorithm>

namespace {

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

bool EndsWithIgnoringCase(std::string_view name, std::string_view suffix) {
    if (suffix.size() > name.size()) return false;
    return std::equal(suffix.begin(), suffix.end(), name.end() - suffix.size(),
                      [](char a, char b) { return LowerAscii(a) == LowerAscii(b); });
}
