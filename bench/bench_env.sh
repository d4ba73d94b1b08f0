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

# A virtual 1920x1080 display when there is none (below 10, so that X shared memory works),
# and a private sound server with a null sink (real-time paced, several devices at once;
# SDL's dummy driver opens only one). Needs xvfb and pulseaudio.
bench_start_display_and_sound() {
  if [[ -z "${DISPLAY:-}" ]]; then
    Xvfb :7 -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
    bench_xvfb=$!
    export DISPLAY=:7
    sleep 1
  fi
  bench_pulse=$(mktemp -d)
  printf '%s\n' "load-module module-null-sink sink_name=bench rate=48000" \
    "load-module module-native-protocol-unix socket=$bench_pulse/native auth-anonymous=1" \
    >"$bench_pulse/default.pa"
  pulseaudio -n -F "$bench_pulse/default.pa" --exit-idle-time=-1 --daemonize=no \
    --use-pid-file=no >/dev/null 2>&1 &
  bench_pulse_pid=$!
  trap 'kill $bench_pulse_pid ${bench_xvfb:-} ${bench_compositor:-} 2>/dev/null' EXIT
  export PULSE_SERVER=unix:$bench_pulse/native SDL_AUDIODRIVER=pulseaudio
  sleep 1
}
