#!/usr/bin/env bash
# DMX over Art-Net on the console while Player A and Player B play 1080p30 H.264 on the
# full-HD stage, under a compositor (COMPOSITOR=0: without), from a desk on 127.0.0.3 sending to
# 127.0.0.2: 4 universes changing every frame at 44 frames a second for SECONDS (600), the same
# frames resent unchanged, the same time without Art-Net; packet → opacity on the X server;
# 20,000 junk datagrams a second for 30 s beside a valid stream. Give one of stream, static,
# idle, latency, junk to run only that part.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

source "$root/bench/bench_env.sh"
bench_prepare_1080p_show "$root"
for part in ${1:-latency junk stream static idle}; do
  seconds=${2:-600}
  [[ $part == junk ]] && seconds=${2:-30}
  echo "== $part"
  QT_QPA_PLATFORM=xcb "$root/build/bin/bench_dmx" "$part" \
    "$media/testsrc2-1080p30.mp4" "$media/smptehdbars-1080p30.mp4" "$seconds" 2>/dev/null
done
