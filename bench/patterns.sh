#!/usr/bin/env bash
# Each test pattern drawn and shown on a 3840x2160 layer (a virtual 3840x2160 display of its
# own, under a compositor; COMPOSITOR=0: without): click → painted and the X server through,
# and the drawing alone, 20 times each.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

source "$root/bench/bench_env.sh"
bash "$root/scripts/build.sh" >/dev/null
bench_install xvfb xcompmgr
unset DISPLAY # a display of its own, of that size
bench_start_display 3840x2160
bench_start_compositor
SDL_AUDIODRIVER=dummy QT_QPA_PLATFORM=xcb "$root/build/bin/bench_patterns" 2>/dev/null
