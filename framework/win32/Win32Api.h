// <windows.h> for the Win32 backend and its tests. It declares OpenFile, a function left from
// 16-bit Windows that would hide the framework's file class of that name; here the function is
// declared under another name, which nothing calls. Its min and max macros are left out, so that
// std::min and std::max still work. Include this before anything else that might bring in
// <windows.h>.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define OpenFile Win16OpenFile
#include <windows.h>
#undef OpenFile
