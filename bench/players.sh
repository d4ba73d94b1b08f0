#!/usr/bin/env bash
# Two players at once: a 1080p30 and a 1080p60 H.264+AAC file for SECONDS (default 60) of
# media, in two 960x540 windows, played by Quillon's players, by two mpv and by two ffplay,
# on the same files in the same run. Prints CPU seconds per media second and dropped frames
# for each, and for Quillon also the drift, open-to-picture and seek-to-picture times.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}

bash "$root/scripts/build.sh" >/dev/null
source "$root/bench/bench_env.sh"
bench_install mpv ffmpeg time xvfb pulseaudio

media="$root/build/bench-media"
mkdir -p "$media"
for rate in 30 60; do
  file="$media/hd${rate}.mp4"
  [[ -f "$file" ]] && continue
  echo "Making $file ..."
  ffmpeg -hide_banner -loglevel error -y -f lavfi -i "testsrc2=size=1920x1080:rate=$rate" \
    -f lavfi -i "sine=frequency=440:sample_rate=48000" -t 62 -ac 2 \
    -c:v libx264 -preset veryfast -pix_fmt yuv420p -c:a aac "$file"
done
a="$media/hd30.mp4"
b="$media/hd60.mp4"

bench_start_display_and_sound

echo "== Quillon"
ours=$("$root/build/bin/bench_players" "$a" "$b" "$seconds" 2>/dev/null)
echo "$ours"
ours_cpu=$(echo "$ours" | sed -n 's/.*, \([0-9.]*\) CPU s per media s/\1/p')

run_pair() { # name, then the command for each file with FILE and X in it
  local name=$1 template=$2 logs=() times=() pids=()
  for i in 0 1; do
    local file=$a x=0
    [[ $i == 1 ]] && file=$b && x=960
    local cmd=${template//FILE/$file}
    cmd=${cmd//XPOS/$x}
    logs[$i]=$(mktemp)
    times[$i]=$(mktemp)
    /usr/bin/time -f "%U %S" -o "${times[$i]}" bash -c "$cmd" >"${logs[$i]}" 2>&1 &
    pids[$i]=$!
  done
  wait "${pids[@]}"
  local total=0
  for i in 0 1; do
    local cpu
    cpu=$(awk '{print $1 + $2}' "${times[$i]}")
    total=$(awk -v t="$total" -v c="$cpu" 'BEGIN {print t + c}')
    echo "$name $i: CPU ${cpu}s, $(parse_$name "${logs[$i]}")"
  done
  local per
  per=$(awk -v t="$total" -v s="$seconds" 'BEGIN {printf "%.3f", t / s}')
  echo "$name: $per CPU s per media s"
  rm -f "${logs[@]}" "${times[@]}"
  eval "${name}_cpu=$per"
}
parse_mpv() { tr '\r' '\n' <"$1" | { grep -o 'DROP [0-9]* [0-9]*' || true; } | tail -1 | awk '{print "dropped " $2 " (decoder " $3 ")"}'; }
parse_ffplay() { tr '\r' '\n' <"$1" | { grep -o 'fd= *[0-9]*' || true; } | tail -1 | awk '{print "dropped " $2}'; }

echo "== mpv"
run_pair mpv "mpv --no-config --vo=x11 --ao=pulse --length=$seconds --geometry=960x540+XPOS+0 \
  --term-status-msg='DROP \${frame-drop-count} \${decoder-frame-drop-count}' FILE"
echo "== ffplay"
run_pair ffplay "ffplay -hide_banner -autoexit -t $seconds -x 960 -y 540 -left XPOS -top 0 FILE"

awk -v q="$ours_cpu" -v m="$mpv_cpu" -v f="$ffplay_cpu" \
  'BEGIN {printf "ratios: Quillon/mpv %.2f, Quillon/ffplay %.2f\n", q / m, q / f}'
