// The framework's start of a program. Each backend's entry library defines the program's entry
// function, which calls these two with nothing from the command line but the program's own name.
#pragma once

#include <string>
#include <string_view>

// Starts the window system for programName (used for nothing but the system's own messages).
// False when there is no display to show windows on.
bool AfxWinInit(const char* programName);

// After AfxWinInit: names the application after executablePath unless it has a name, runs
// InitInstance and then ExitInstance, and returns the exit status (1 without an application).
int AfxWinMain(std::string_view executablePath);

// "C:\Tools\Vexlorn.exe" -> "Vexlorn"; "/usr/bin/vexlorn" -> "vexlorn".
std::string AppNameFromExecutablePath(std::string_view path);
