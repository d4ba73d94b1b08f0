#!/usr/bin/env bash
# The command server of the console while Player A and Player B play 1080p30 H.264 on the
# full-HD stage, under a compositor (COMPOSITOR=0: without): message → opacity on the X server
# over 1,000 messages; 40 messages a second for SECONDS (60) with bursts of 20 clients; a junk
# flood alongside real messages; a second console chained through "QVX". Give one of latency,
# stream, junk, chain to run only that part.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

source "$root/bench/bench_env.sh"
bench_prepare_1080p_show "$root"
for part in ${1:-latency stream junk chain}; do
  echo "== $part"
  QT_QPA_PLATFORM=xcb "$root/build/bin/bench_remote" "$part" \
    "$media/testsrc2-1080p30.mp4" "$media/smptehdbars-1080p30.mp4" "${2:-60}" 2>/dev/null
done
