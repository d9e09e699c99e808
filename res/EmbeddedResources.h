// The resource script, its header and the icon, compiled into the program on platforms without a
// resource compiler, so that no file beside the program is needed at run time.
#pragma once

#include <string_view>

std::string_view EmbeddedResourceScript();  // res/Vexlorn.rc, UTF-8
std::string_view EmbeddedResourceHeader();  // res/resource.h
std::string_view EmbeddedIcon();            // res/Vexlorn.ico, the bytes of the icon file
