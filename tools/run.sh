#!/usr/bin/env bash
# Installs what is missing, builds, and runs the main job: the Vexlorn window where there is a
# display; elsewhere a whole card test on the command line, on a simulated honest card and on a
# simulated counterfeit that wraps its addresses, so both verdicts show in seconds.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/tools/install-deps.sh"
build="$top/build/plain"
cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)" --target Vexlorn vexlorn-cli

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec "$build/app/Vexlorn"
fi

echo "No display: running the command line on simulated cards instead of the window."
"$build/cli/vexlorn-cli" --simulate 2G
echo
# The counterfeit must get the problem verdict, exit status 1.
fake=0
"$build/cli/vexlorn-cli" --simulate 4G --real 1G || fake=$?
[ "$fake" -eq 1 ]
