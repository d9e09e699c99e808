# What the mingw-w64 toolchain files share; each sets VEXLORN_MINGW_TARGET, CMAKE_SYSTEM_PROCESSOR
# and VEXLORN_WINE_LOADER first. Debian's cross compilers of the POSIX thread model (so that
# std::thread, std::mutex and std::condition_variable work) and windres. Programs link the GCC
# runtime, libstdc++ and winpthread statically and so need no DLL beyond those of Windows itself.
# Where the Wine loader is installed, ctest runs the test programs under it, in a Wine prefix of
# the build folder's own.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${VEXLORN_MINGW_TARGET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VEXLORN_MINGW_TARGET}-g++-posix)
set(CMAKE_RC_COMPILER ${VEXLORN_MINGW_TARGET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VEXLORN_MINGW_TARGET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test programs cannot run while they are built; ctest lists their tests when it runs them.
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
if(EXISTS ${VEXLORN_WINE_LOADER})
    set(CMAKE_CROSSCOMPILING_EMULATOR
        env WINEPREFIX=${CMAKE_BINARY_DIR}/wine WINEDEBUG=-all ${VEXLORN_WINE_LOADER})
endif()
