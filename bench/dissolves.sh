#!/usr/bin/env bash
# A show of SECONDS (default 60) on the console: two 1080p30 H.264+AAC clips looping in
# Player A and Player B on the full-HD stage, crossfaded every 5 s with a 1.0 s dissolve,
# under a compositor as on an operator's desktop (COMPOSITOR=0: without). Prints each
# dissolve's real duration against its set time, pictures dropped per channel and CPU per
# media second.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}

source "$root/bench/bench_env.sh"
bench_prepare_1080p_show "$root"
QT_QPA_PLATFORM=xcb "$root/build/bin/bench_dissolves" "$media/testsrc2-1080p30.mp4" \
  "$media/smptehdbars-1080p30.mp4" "$seconds" 5 2>/dev/null
