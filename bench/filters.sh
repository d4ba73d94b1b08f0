#!/usr/bin/env bash
# The channel picture's filters while Player A and Player B play 1080p30 H.264 on the full-HD
# stage, under a compositor (COMPOSITOR=0: without): a live saturation change → the picture
# painted, "APPLY" → the new filters' first picture painted and its position, and SECONDS
# (default 60) of perspective masks against as long without them. Give one of live, apply,
# mask to run only that part.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${2:-60}

source "$root/bench/bench_env.sh"
bench_prepare_1080p_show "$root"
for part in ${1:-live apply mask}; do
  echo "== $part"
  QT_QPA_PLATFORM=xcb "$root/build/bin/bench_filters" "$part" \
    "$media/testsrc2-1080p30.mp4" "$media/smptehdbars-1080p30.mp4" "$seconds" 2>/dev/null
done
