// The program's resources where no resource compiler builds them into the program: the resource
// script, its header and the icon file embedded in the program, read once.
#pragma once

#include <string_view>

#include "framework/ResourceScript.h"

// Throws ResourceScriptError when the embedded script is malformed.
const ResourceScript& ProgramResources();

// The bytes of the icon file of icon resource id; empty when there is none.
std::string_view ProgramIconFile(unsigned id);
