#!/usr/bin/env bash
# Sets up and runs the whole test suite: packages, build, format check, then every test
# under one virtual X screen (widget tests use Qt's offscreen platform, output windows X11).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/build.sh"

mapfile -t sources < <(cd "$root" && git ls-files -co --exclude-standard -- 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'bench/*.h')
(cd "$root" && clang-format --dry-run --Werror "${sources[@]}")

cd "$root/build"
export SDL_AUDIODRIVER=dummy
xvfb-run -a -s "-screen 0 1920x1080x24" ctest --output-on-failure --parallel "$(nproc)" "$@"
