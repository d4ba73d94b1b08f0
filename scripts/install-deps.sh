#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing need.
# Quick when everything is already there: apt is only asked about what is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache pkg-config clang-format
  qt6-base-dev libqt6opengl6-dev libgl-dev
  libqt6sql6-ibase firebird3.0-server-core libfbclient2 firebird3.0-utils firebird3.0-server
  libavcodec-dev libavformat-dev libavfilter-dev libavdevice-dev libswscale-dev libswresample-dev
  ffmpeg libsdl2-dev libsoundtouch-dev libxcb1-dev libx11-dev libxrandr-dev
  xvfb xauth imagemagick xcompmgr fonts-dejavu-core
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

# MIDI: RtMidi and the JACK server (its dummy back-end stands in for a sound card). Asked for
# together: installing jackd2 on its own swaps the JACK library under RtMidi and removes it.
midi=(jackd2 libjack-jackd2-dev librtmidi-dev)
for p in "${midi[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  if [[ "$status" != "install ok installed" ]]; then
    missing+=("${midi[@]}")
    break
  fi
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
