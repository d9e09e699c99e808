// POSIX systems never prompt for a missing medium: a failed file operation just fails.
#include "framework/ProcessSetup.h"

void PrepareProcessForRemovableMedia() {}
