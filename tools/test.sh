#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test three times: a plain build, one with
# AddressSanitizer and UndefinedBehaviorSanitizer, and one with ThreadSanitizer, window tests on a
# virtual display; then the Windows build under Wine.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/tools/install-deps.sh"

jobs=$(nproc)
run_suite() {
    local name=$1
    shift
    local build="$top/build/$name"
    echo "== $name build"
    cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    cmake --build "$build" -j "$jobs"
    echo "== $name tests"
    xvfb-run -a -s "-screen 0 1280x1024x24" \
        ctest --test-dir "$build" --output-on-failure -j "$jobs" --timeout 1200
}

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1"

run_suite plain
run_suite asan -DVEXLORN_SANITIZE=address
run_suite tsan -DVEXLORN_SANITIZE=thread

# The Windows build of everything below the window, tested under Wine.
"$top/tools/test-windows.sh"
