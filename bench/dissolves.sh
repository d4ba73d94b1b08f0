#!/usr/bin/env bash
# A show of SECONDS (default 60) on the console: two 1080p30 H.264+AAC clips looping in
# Player A and Player B on the full-HD stage, crossfaded every 5 s with a 1.0 s dissolve,
# under a compositor as on an operator's desktop (COMPOSITOR=0: without). Prints each
# dissolve's real duration against its set time, pictures dropped per channel and CPU per
# media second.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}

bash "$root/scripts/build.sh" >/dev/null
source "$root/bench/bench_env.sh"
bench_install ffmpeg xvfb pulseaudio xcompmgr

media="$root/build/bench-media"
bench_make_1080p_media "$media"
bench_start_display_and_sound
bench_start_compositor
QT_QPA_PLATFORM=xcb "$root/build/bin/bench_dissolves" "$media/testsrc2-1080p30.mp4" \
  "$media/smptehdbars-1080p30.mp4" "$seconds" 5 2>/dev/null
