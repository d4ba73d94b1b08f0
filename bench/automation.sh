#!/usr/bin/env bash
# The automation path on the console while Player A and Player B play 1080p30 H.264 on the
# full-HD stage, under a compositor (COMPOSITOR=0: without): pad tile → opacity on the X
# server over 500 presses, the spacing of a 10-line action's lines, and 1,000 CONNSEND to a
# host that never answers (event-loop lag and memory). Give one of pad, spacing, connsend to
# run only that part.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

source "$root/bench/bench_env.sh"
bench_prepare_1080p_show "$root"
for part in ${1:-pad spacing connsend}; do
  echo "== $part"
  QT_QPA_PLATFORM=xcb "$root/build/bin/bench_automation" "$part" \
    "$media/testsrc2-1080p30.mp4" "$media/smptehdbars-1080p30.mp4" 2>/dev/null
done
