// The command line that removes the test files on Windows: cmd /c "del /q ROOT*SUFFIX".
#pragma once

#include <optional>
#include <string>

// The command line for root and suffix (UTF-8), or nothing when either holds a character that
// could make the command do anything but delete the matching files directly in root. cmd strips
// the outer quotes and runs the rest unquoted, so a space, a comma or a semicolon would split the
// name in two, &, | or < would start another command, % and ! would expand variables, and * or ?
// would widen the match. Roots from the drive list ("E:\") always pass.
std::optional<std::wstring> CleanUpCommandLine(const std::string& root, const std::string& suffix);
