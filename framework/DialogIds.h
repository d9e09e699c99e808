// The command numbers of the standard dialog buttons and the number of controls that have none.
// Guarded, so that the platform's own definitions (with the same values) may come first.
#pragma once

#ifndef IDOK
#define IDOK 1
#endif
#ifndef IDCANCEL
#define IDCANCEL 2
#endif
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
