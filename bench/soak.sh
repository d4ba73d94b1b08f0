#!/usr/bin/env bash
# A long show: both channels chain short clips of mixed formats with "NEXT CLIP" and
# "REPEAT PLAYLIST", one clip cut short, a 1.0 s dissolve every 5 s, under a compositor.
# Usage: soak.sh [SECONDS [REPORT_SECONDS]]  (default 1800 s, a report every 60 s; 14400
# for four hours). Memory, descriptors and threads must stay flat; see the printed lines.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-1800}
report=${2:-60}

bash "$root/scripts/build.sh" >/dev/null
source "$root/bench/bench_env.sh"
bench_install ffmpeg xvfb pulseaudio xcompmgr

media="$root/build/bench-media/soak"
mkdir -p "$media"
make() { # file, then ffmpeg's output options; 4 s of moving picture and sound
  local file="$media/$1"
  shift
  [[ -f "$file" ]] && return
  echo "Making $file ..." >&2
  ffmpeg -hide_banner -loglevel error -y -f lavfi -i "testsrc2=size=${size}:rate=${rate}" \
    -f lavfi -i "sine=frequency=440:sample_rate=48000" -t 4 -ac 2 "$@" "$file"
}
size=1920x1080 rate=30 make h264-1080p30.mp4 -c:v libx264 -preset veryfast -pix_fmt yuv420p \
  -c:a aac -movflags +faststart
size=1280x720 rate=25 make vp9-720p25.webm -c:v libvpx-vp9 -deadline realtime -cpu-used 8 \
  -b:v 2M -c:a libopus
size=1280x720 rate=50 make mpeg2-720p50.ts -c:v mpeg2video -q:v 4 -c:a mp2
size=1280x720 rate=25 make prores-720p25.mov -c:v prores_ks -profile:v 0 -c:a pcm_s16le
size=1280x720 rate=30 make mpeg4-720p30.avi -c:v mpeg4 -q:v 4 -c:a libmp3lame
# The first clip cut to about half: it breaks off on air every time round.
broken="$media/broken-h264-1080p30.mp4"
[[ -f "$broken" ]] || head -c "$(($(stat -c %s "$media/h264-1080p30.mp4") / 2))" \
  "$media/h264-1080p30.mp4" >"$broken"

bench_start_display_and_sound
bench_start_compositor
QT_QPA_PLATFORM=xcb "$root/build/bin/bench_soak" "$seconds" "$report" 5 \
  "$media/h264-1080p30.mp4" "$media/vp9-720p25.webm" "$broken" "$media/mpeg2-720p50.ts" \
  "$media/prores-720p25.mov" "$media/mpeg4-720p30.avi" 2>"$root/build/soak.log"
echo "Faults and log lines: $root/build/soak.log"
