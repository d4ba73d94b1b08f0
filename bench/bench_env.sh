# Sourced by the benchmark scripts.

# Installs the Debian packages given that are missing.
bench_install() {
  local need=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || need+=("$p")
  done
  if ((${#need[@]})); then
    apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${need[@]}" >/dev/null
  fi
}

# The background programs a benchmark started, ended when the script ends.
bench_pids=()
trap 'kill "${bench_pids[@]}" 2>/dev/null' EXIT

# A virtual display when there is none (below 10, so that X shared memory works): 1920x1080,
# or the size given. Needs xvfb.
bench_start_display() {
  if [[ -z "${DISPLAY:-}" ]]; then
    Xvfb :7 -screen 0 "${1:-1920x1080}x24" -nolisten tcp >/dev/null 2>&1 &
    bench_pids+=($!)
    export DISPLAY=:7
    sleep 1
  fi
}

# A virtual 1920x1080 display when there is none, and a private sound server with a null sink
# (real-time paced, several devices at once; SDL's dummy driver opens only one). Needs xvfb
# and pulseaudio.
bench_start_display_and_sound() {
  bench_start_display
  bench_pulse=$(mktemp -d)
  printf '%s\n' "load-module module-null-sink sink_name=bench rate=48000" \
    "load-module module-native-protocol-unix socket=$bench_pulse/native auth-anonymous=1" \
    >"$bench_pulse/default.pa"
  pulseaudio -n -F "$bench_pulse/default.pa" --exit-idle-time=-1 --daemonize=no \
    --use-pid-file=no >/dev/null 2>&1 &
  bench_pids+=($!)
  export PULSE_SERVER=unix:$bench_pulse/native SDL_AUDIODRIVER=pulseaudio
  sleep 1
}

# Two 20 s 1080p30 H.264+AAC clips (test pattern and bars) in $1, made once.
bench_make_1080p_media() {
  mkdir -p "$1"
  for pattern in testsrc2 smptehdbars; do
    local file="$1/$pattern-1080p30.mp4"
    [[ -f "$file" ]] && continue
    echo "Making $file ..." >&2
    ffmpeg -hide_banner -loglevel error -y -f lavfi -i "$pattern=size=1920x1080:rate=30" \
      -f lavfi -i "sine=frequency=440:sample_rate=48000" -t 20 -ac 2 \
      -c:v libx264 -preset veryfast -pix_fmt yuv420p -c:a aac "$file"
  done
}

# A compositor as on an operator's desktop (COMPOSITOR=0: without). Needs xcompmgr.
bench_start_compositor() {
  if [[ "${COMPOSITOR:-1}" != 0 ]]; then
    xcompmgr -n >/dev/null 2>&1 &
    bench_pids+=($!)
    sleep 0.5
  fi
}

# What the console benchmarks on 1080p media share: the build, the packages, the two clips in
# build/bench-media (their folder in $media), a display with sound and a compositor.
bench_prepare_1080p_show() {
  local root=$1
  bash "$root/scripts/build.sh" >/dev/null
  bench_install ffmpeg xvfb pulseaudio xcompmgr
  media="$root/build/bench-media"
  bench_make_1080p_media "$media"
  bench_start_display_and_sound
  bench_start_compositor
}

# A JACK server on its dummy back-end (period 256 frames at 48 kHz), for MIDI. Needs jackd2.
bench_start_jack() {
  jackd --no-realtime -d dummy -r 48000 -p 256 >/dev/null 2>&1 &
  bench_pids+=($!)
  sleep 1
}
