#!/usr/bin/env bash
# Seams of a "NEXT CLIP" chain against a "LOOP" seam, as recorded from the screen.
# Usage: chain_seams.sh [SECONDS [LOOP_SECONDS]]  (default 60 s of chain, then 20 s of loop).
# Three numbered 1280x720 clips of 4 s at 25 pictures a second chain in Player A; FFmpeg's X11
# grabber records the middle of its layer at 50 pictures a second. Target: no grab without a
# numbered picture at any seam, and the chain's seams within one picture (40 ms) of the loop's.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
loop=${2:-20}

bash "$root/scripts/build.sh" >/dev/null
source "$root/bench/bench_env.sh"
bench_install ffmpeg xvfb pulseaudio xcompmgr

# Each picture one flat colour telling its clip and number (tests/media/numbered_frames.h).
media="$root/build/bench-media/numbered"
mkdir -p "$media"
files=()
for clip in 1 2 3; do
  file="$media/numbered-$clip-720p25.mp4"
  files+=("$file")
  [[ -f "$file" ]] && continue
  echo "Making $file ..." >&2
  ffmpeg -hide_banner -loglevel error -y \
    -f lavfi -i "color=c=black:size=1280x720:rate=25:duration=4,format=gbrp,geq=r=$((40 + 50 * (clip - 1))):g=20+20*mod(N\,10):b=20+20*trunc(N/10)" \
    -f lavfi -i "sine=frequency=440:sample_rate=48000:duration=4" -ac 2 \
    -c:v libx264 -preset veryfast -crf 10 -pix_fmt yuv420p -c:a aac -shortest "$file"
done

bench_start_display_and_sound
bench_start_compositor
QT_QPA_PLATFORM=xcb "$root/build/bin/bench_chain_seams" "$seconds" "$loop" "${files[@]}" \
  2>"$root/build/chain_seams.log"
echo "Log: $root/build/chain_seams.log"
