// The program's resources: strings and icons by number.
#pragma once

#include <string>

#include "framework/WindowTypes.h"

// The string with that number; empty when there is none.
std::string LoadString(unsigned id);

// The icon with that number, loaded once and kept for the whole run; null when there is none.
IconHandle LoadProgramIcon(unsigned id);
