#!/usr/bin/env bash
# MIDI on the console while Player A and Player B play 1080p30 H.264 on the full-HD stage,
# under a compositor (COMPOSITOR=0: without), from a sender on a JACK dummy server: controller
# message → opacity on the X server over 2,000 messages; a fader at 1,000 messages a second
# for SECONDS (60), then the same time without MIDI for the pictures dropped. Give one of
# latency, fader, idle to run only that part.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

source "$root/bench/bench_env.sh"
bench_prepare_1080p_show "$root"
bench_start_jack
for part in ${1:-latency fader idle}; do
  echo "== $part"
  QT_QPA_PLATFORM=xcb "$root/build/bin/bench_midi" "$part" \
    "$media/testsrc2-1080p30.mp4" "$media/smptehdbars-1080p30.mp4" "${2:-60}" 2>/dev/null
done
