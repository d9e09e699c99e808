# The same sources as a 64-bit Windows build, for testing under Wine on machines that cannot run
# 32-bit code (tools/test-windows.sh falls back to it there); the program that ships is 32-bit.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VEXLORN_MINGW_TARGET x86_64-w64-mingw32)
set(VEXLORN_WINE_LOADER /usr/lib/wine/wine64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
