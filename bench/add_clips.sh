#!/usr/bin/env bash
# Adding clips: 200 media files in mixed containers added through the console and in one
# operation of the adder alone, against the command-line pair ffprobe + one ffmpeg thumbnail
# per file on the same files. Also adds 50 of them alone, to show that the memory does not
# grow with the number of files.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/build.sh" >/dev/null
media="$root/build/bench-add"
if [[ ! -f "$media/made" ]]; then
  mkdir -p "$media/base"
  ff() { ffmpeg -hide_banner -loglevel error -nostdin -y "$@"; }
  src="testsrc2=size=1280x720:rate=25:duration=10"
  tone="sine=frequency=440:sample_rate=48000:duration=10"
  ff -f lavfi -i "$src" -f lavfi -i "$tone" -c:v libx264 -preset veryfast -c:a aac "$media/base/a.mp4"
  ff -f lavfi -i "$src" -f lavfi -i "$tone" -c:v libvpx-vp9 -deadline realtime -cpu-used 8 -c:a libopus "$media/base/b.webm"
  ff -f lavfi -i "$src" -f lavfi -i "$tone" -c:v mpeg2video -c:a mp2 "$media/base/c.ts"
  ff -f lavfi -i "$src" -f lavfi -i "$tone" -c:v mpeg4 -c:a libmp3lame "$media/base/d.avi"
  for i in $(seq 1 50); do
    for f in a.mp4 b.webm c.ts d.avi; do cp "$media/base/$f" "$media/clip_${i}_$f"; done
  done
  touch "$media/made"
fi
mapfile -t files < <(ls "$media"/clip_* | sort -V)

# The operator's path: the console under a virtual screen when there is none.
if [[ -n "${DISPLAY:-}" ]]; then
  "$root/build/bin/bench_add_console" "${files[@]}"
else
  xvfb-run -a -s "-screen 0 1920x1080x24" "$root/build/bin/bench_add_console" "${files[@]}"
fi
"$root/build/bin/bench_add" "${files[@]:0:50}"
"$root/build/bin/bench_add" "${files[@]}"

start=$(date +%s.%N)
tmp=$(mktemp -d)
for f in "${files[@]}"; do
  duration=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$f")
  ffmpeg -hide_banner -loglevel error -nostdin -y -ss "$(awk -v d="$duration" 'BEGIN {print d / 2}')" \
    -i "$f" -frames:v 1 -vf scale=127:-2 "$tmp/thumb.bmp"
done
end=$(date +%s.%N)
rm -rf "$tmp"
awk -v s="$start" -v e="$end" -v n="${#files[@]}" \
  'BEGIN {printf "ffprobe + ffmpeg: %d files in %.2f s: %.1f files per second\n", n, e - s, n / (e - s)}'
