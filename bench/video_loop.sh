#!/usr/bin/env bash
# "Convert" of a 1920x1080 still into a 10 s loop, against the plain ffmpeg program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

source "$root/bench/bench_env.sh"
bash "$root/scripts/build.sh" >/dev/null
bench_install ffmpeg
still="$root/build/bench-media/still-1080p.png"
mkdir -p "$(dirname "$still")"
[[ -f "$still" ]] || ffmpeg -v error -f lavfi -i "testsrc2=size=1920x1080" -frames:v 1 "$still"
QT_QPA_PLATFORM=offscreen "$root/build/bin/bench_video_loop" "$still"
