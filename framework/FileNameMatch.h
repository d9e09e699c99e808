// How removals pick files by name: the suffix compared without case, as the Windows command
// interpreter's del compares it (ASCII letters only).
#pragma once

#include <string_view>

bool EndsWithIgnoringCase(std::string_view name, std::string_view suffix);
