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
mkdir -p "$media"
for pattern in testsrc2 smptehdbars; do
  file="$media/$pattern-1080p30.mp4"
  [[ -f "$file" ]] && continue
  echo "Making $file ..."
  ffmpeg -hide_banner -loglevel error -y -f lavfi -i "$pattern=size=1920x1080:rate=30" \
    -f lavfi -i "sine=frequency=440:sample_rate=48000" -t 20 -ac 2 \
    -c:v libx264 -preset veryfast -pix_fmt yuv420p -c:a aac "$file"
done

bench_start_display_and_sound
if [[ "${COMPOSITOR:-1}" != 0 ]]; then # COMPOSITOR=0: without one, for comparison
  xcompmgr -n >/dev/null 2>&1 &
  bench_compositor=$!
  sleep 0.5
fi
QT_QPA_PLATFORM=xcb "$root/build/bin/bench_dissolves" "$media/testsrc2-1080p30.mp4" \
  "$media/smptehdbars-1080p30.mp4" "$seconds" 5 2>/dev/null
