// Whether a directory given on the command line may be filled with test files.
#pragma once

#include <string>

#include "framework/RemovableDrives.h"

struct TestRootCheck {
    std::string root;   // the directory with a trailing '/', as the passes form names from it
    std::string error;  // empty when the directory may be tested
};

// Refuses what is not a writable directory, a directory too long to hold the test files' names,
// and, unless allowNonRemovable, a directory that is not on a removable medium: a slip of the
// keyboard must never fill the system disk.
TestRootCheck CheckTestRoot(const std::string& directory, bool allowNonRemovable,
                            const SystemView& view = SystemView());
