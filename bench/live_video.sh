#!/usr/bin/env bash
# A live input routed to layer A while Player B plays 1080p30 H.264, under a compositor
# (COMPOSITOR=0: without): pictures per second on the layer and the time from the camera to
# the layer, with a test camera that stamps the wall clock into each picture.
#   bash bench/live_video.sh [SECONDS (30)] [WIDTHxHEIGHT (1280x720)] [RATE (30)]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

source "$root/bench/bench_env.sh"
bench_prepare_1080p_show "$root"
QT_QPA_PLATFORM=xcb "$root/build/bin/bench_live_video" "$media/testsrc2-1080p30.mp4" \
  "${1:-30}" "${2:-1280x720}" "${3:-30}" 2>/dev/null
