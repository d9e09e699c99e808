// What the program's entry does to the process before anything touches a removable medium.
#pragma once

// Makes file operations on a drive without a medium, or on a medium that was pulled out, fail
// with an error instead of the system asking the user to insert a disk (on Windows: adds
// SEM_FAILCRITICALERRORS and SEM_NOOPENFILEERRORBOX to the error mode, keeping the bits already
// set). Elsewhere there is no such prompt and it does nothing.
void PrepareProcessForRemovableMedia();
