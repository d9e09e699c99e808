#!/usr/bin/env bash
# The Windows build of everything below the window, checked and tested under Wine:
#  1. installs what is missing (Debian's mingw-w64 cross compilers and windres, GoogleTest's
#     sources, Wine, Xvfb);
#  2. cross-builds the 32-bit build in build/windows/i686 and checks that its programs are PE32
#     i386 files that need no DLL beyond Windows' own, and that Vexlorn.exe is a GUI program;
#  3. runs the engine and framework tests built for Windows and the whole program (Vexlorn.exe
#     driven through its windows by app_tests.exe) under Wine on Xvfb, through ctest, with a small
#     tmpfs mapped as a Wine drive of removable type (as root; the tests on a drive skip otherwise).
# Where this machine cannot run 32-bit programs at all (the kernels of some virtual machines have
# no 32-bit support), step 3 runs the same tests from a 64-bit build of the same sources, in
# build/windows/x86_64, under 64-bit Wine, and says so.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
started=$SECONDS

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)

# install_packages PACKAGE...: installs those of the Debian packages that are missing.
install_packages() {
    local package missing=()
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$package")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return
    echo "== Installing: ${missing[*]}"
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        "${sudo[@]}" dpkg --add-architecture i386
    fi
    timeout 600 "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    timeout 1200 "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

install_packages cmake make googletest xvfb xauth fonts-wqy-zenhei \
    g++-mingw-w64-i686-posix mingw-w64-i686-dev binutils-mingw-w64-i686 wine wine32:i386

targets=(vexlorn_framework vexlorn_engine engine_tests framework_tests Vexlorn app_tests)

# build_windows ARCH: configures and builds build/windows/ARCH with cmake/mingw-ARCH.cmake.
build_windows() {
    local arch=$1
    local build="$top/build/windows/$arch"
    echo "== Windows $arch build"
    timeout 300 cmake -S "$top" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-$arch.cmake" \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON >/dev/null
    timeout 1800 cmake --build "$build" -j 2 --target "${targets[@]}"
}

# check_programs ARCH FORMAT: every program built is a FORMAT file importing only Windows' DLLs.
windows_dlls='^(kernel32|user32|gdi32|shell32|advapi32|comctl32|comdlg32|ole32|oleaut32|shlwapi|uxtheme|version|msvcrt)\.dll$'
check_programs() {
    local arch=$1 format=$2
    local objdump=$arch-w64-mingw32-objdump
    local program failed=0
    while IFS= read -r program; do
        if ! "$objdump" -f "$program" | grep -q "file format $format\$"; then
            echo "not a $format file: $program" >&2
            failed=1
        fi
        local dll dlls
        dlls=$("$objdump" -p "$program" | sed -n 's/^[[:space:]]*DLL Name: //p')
        for dll in $dlls; do
            if ! grep -qiE "$windows_dlls" <<<"$dll"; then
                echo "$program needs $dll, which is not part of Windows" >&2
                failed=1
            fi
        done
        echo "$(basename "$program"): $format, needs" $dlls
        if [ "$(basename "$program")" = Vexlorn.exe ] &&
            ! grep -q '^Subsystem.*(Windows GUI)$' <<<"$("$objdump" -p "$program")"; then
            echo "$program is not a GUI program" >&2
            failed=1
        fi
    done < <(find "$top/build/windows/$arch" -name '*.exe' -not -path '*/CMakeFiles/*' \
        -not -path '*/wine/*')
    return $failed
}

build_windows i686
check_programs i686 pei-i386

if timeout 60 /usr/lib/wine/wine --version >/dev/null 2>&1; then
    arch=i686
    loader=/usr/lib/wine/wine
else
    echo "== This machine cannot run 32-bit programs (its kernel runs no 32-bit code);"
    echo "   the tests run from the 64-bit build of the same sources under 64-bit Wine."
    arch=x86_64
    loader=/usr/lib/wine/wine64
    install_packages g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev binutils-mingw-w64-x86-64 wine64
    build_windows x86_64
    check_programs x86_64 pei-x86-64
fi
build="$top/build/windows/$arch"

# The prefix the toolchain's emulator names, so that ctest and this script share it.
export WINEPREFIX="$build/wine" WINEDEBUG=-all

# Ends this prefix's Wine session: its processes and its server.
end_wine_session() {
    timeout 60 /usr/lib/wine/wineserver -k 2>/dev/null || true
}

drive=""
cleanup() {
    end_wine_session
    rm -f "$WINEPREFIX/dosdevices/r:"
    if [ -n "$drive" ]; then
        umount "$drive" && rmdir "$drive"
    fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "== Creating the Wine prefix"
    # Without Wine's .NET and HTML engines, which no test needs and which it would offer to fetch.
    WINEDLLOVERRIDES="mscoree=;mshtml=" timeout 300 "$loader" wineboot -i
    # Windows has Chinese fonts; here the dialogs' 宋体 and the system's menus and message boxes
    # take WenQuanYi, so that what the program shows can be looked at (the tests read texts).
    fonts='HKLM\Software\Microsoft\Windows NT\CurrentVersion'
    timeout 120 "$loader" reg add "$fonts\FontSubstitutes" /v 宋体 /t REG_SZ \
        /d 'WenQuanYi Zen Hei Mono' /f >/dev/null
    timeout 120 "$loader" reg add "$fonts\FontLink\SystemLink" /v Tahoma /t REG_MULTI_SZ \
        /d 'wqy-zenhei.ttc,WenQuanYi Zen Hei' /f >/dev/null
fi

# The test drive R:, 300 MiB, of removable type ("floppy" is Wine's name for that).
if [ "$(id -u)" -eq 0 ]; then
    drive=$(mktemp -d /tmp/vexlorn-wine-drive-XXXXXX)
    if mount -t tmpfs -o size=300m,mode=0755 vexlorn-wine-drive "$drive"; then
        ln -sfn "$drive" "$WINEPREFIX/dosdevices/r:"
        timeout 120 "$loader" reg add 'HKLM\Software\Wine\Drives' /v r: /t REG_SZ /d floppy /f \
            >/dev/null
        # Wine reads the drive types when its session starts.
        end_wine_session
        export VEXLORN_TEST_DRIVE=R:
    else
        rmdir "$drive"
        drive=""
        echo "== No tmpfs could be mounted: the tests on a real drive skip"
    fi
else
    echo "== Not root, so no tmpfs for a test drive: the tests on a real drive skip"
fi

echo "== Windows $arch tests under Wine, on Xvfb"
# The Wine session starts afresh on the virtual display. A process of its own (a command shell
# waiting for a key that never comes) keeps it up from before the first test to the end: a Wine
# server that quits after its last client can drop the connection of the next, and the session's
# own background processes start from it or from a first command with no output, so that they
# hold none of ctest's output pipes open.
end_wine_session
timeout 1800 xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    sleep infinity | "$1" cmd /c pause >/dev/null 2>&1 &
    "$1" cmd /c exit </dev/null >/dev/null 2>&1
    exec ctest --test-dir "$2" --output-on-failure -j 2 --timeout 900' _ "$loader" "$build"
echo "== Windows build and tests done in $((SECONDS - started)) s"
