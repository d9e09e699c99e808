#!/usr/bin/env bash
# Installs what is missing, builds, and runs the main job: a whole card test on a simulated card,
# once honest and once a counterfeit that wraps its addresses, so both verdicts show in seconds.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/tools/install-deps.sh"
build="$top/build/plain"
cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)" --target vexlorn-cli
"$build/cli/vexlorn-cli" --simulate 2G
echo
# The counterfeit must get the problem verdict, exit status 1.
fake=0
"$build/cli/vexlorn-cli" --simulate 4G --real 1G || fake=$?
[ "$fake" -eq 1 ]
