# The 32-bit Windows build, the one that ships:
#   cmake -S . -B build/windows/i686 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake
set(CMAKE_SYSTEM_PROCESSOR i686)
set(VEXLORN_MINGW_TARGET i686-w64-mingw32)
set(VEXLORN_WINE_LOADER /usr/lib/wine/wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
