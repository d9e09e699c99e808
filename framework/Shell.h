// Opening a document or web address with the program the desktop associates with it.
#pragma once

#include <functional>
#include <string>

// Asks the desktop to open address (the verb "open", no parent window, no parameters, no working
// directory, shown normally). Never goes through a command interpreter. Returns whether the
// desktop took it.
bool ShellOpen(const std::string& address);

// What ShellOpen hands the address to; tests install a recorder. An empty launcher restores the
// desktop's. Returns the launcher installed before.
using ShellLauncher = std::function<bool(const std::string& address)>;
ShellLauncher SetShellLauncher(ShellLauncher launcher);
