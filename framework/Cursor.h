// The pointer's cursor: the system's standard cursors and the one shown while a window handles a
// cursor request.
#pragma once

#include "framework/WindowTypes.h"

// Numbered as the system numbers them.
enum class StandardCursor : unsigned { hand = 32649 };

// The system's cursor of that kind, shared and never released; null when the system has none.
CursorHandle LoadStandardCursor(StandardCursor which);

// Shows cursor for the window whose cursor request is being handled; null shows the normal one.
void SetPointerCursor(CursorHandle cursor);
