#include "framework/ProcessSetup.h"

#include "framework/win32/Win32Api.h"

#include <gtest/gtest.h>

TEST(ProcessSetup, AddsTheRemovableMediaBitsAndKeepsTheOthers) {
    const UINT before = SetErrorMode(SEM_NOGPFAULTERRORBOX);
    PrepareProcessForRemovableMedia();
    const UINT after = SetErrorMode(before);
    EXPECT_EQ(after, static_cast<UINT>(SEM_NOGPFAULTERRORBOX | SEM_FAILCRITICALERRORS |
                                       SEM_NOOPENFILEERRORBOX));
}
