#!/usr/bin/env bash
# Takes screenshots of the splash, the print dialog, the Inventory tab, the Pictures tab with
# thirteen photographs scrolled to its end, and the item index, under a virtual X server, into
# the folder given (build/screenshots by default). For looking at, not for comparing.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
out="$(realpath -m "${1:-$top/build/screenshots}")"
"$top/scripts/deps.sh"
cmake -S "$top" -B "$top/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$top/build" --target quivera-screenshots -j2
mkdir -p "$out"
# xvfb-run picks a free display itself; the screen is big enough for every window.
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24" \
  "$top/build/tests/screens/quivera-screenshots" "$out"
