#!/usr/bin/env bash
# The stage editor: its opening on a show of 100 stages, and in "REAL TIME MODE" each drag step
# of layer A to its output window's new place on the X server, under a compositor
# (COMPOSITOR=0: without).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

source "$root/bench/bench_env.sh"
bash "$root/scripts/build.sh" >/dev/null
bench_install xvfb xcompmgr
bench_start_display
bench_start_compositor
SDL_AUDIODRIVER=dummy QT_QPA_PLATFORM=xcb "$root/build/bin/bench_stage_editor" 2>/dev/null
