#include "framework/ProcessSetup.h"

#include "framework/win32/Win32Api.h"

void PrepareProcessForRemovableMedia() {
    // SetErrorMode replaces the mode and returns the old one; GetErrorMode is not on every Windows.
    const UINT previous = SetErrorMode(0);
    SetErrorMode(previous | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
}
