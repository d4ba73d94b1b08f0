#!/usr/bin/env bash
# The player's tests under the thread sanitizer, in build-tsan/ (slow: run by hand).
# Any data race in our code fails the run; FFmpeg's and SDL's own threads are not checked.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh"
build="$root/build-tsan"
if [[ ! -f "$build/build.ninja" ]]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLON_TSAN=ON
fi
tests=(test_clock_and_queue test_notification_ring test_player test_player_sound)
cmake --build "$build" --parallel "$(nproc)" --target "${tests[@]}"
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$root/bench/thread_check.supp"
for t in "${tests[@]}"; do
  driver=dummy
  [[ $t == test_player_sound ]] && driver=disk
  echo "== $t"
  (cd "$build/tests" && SDL_AUDIODRIVER=$driver "$build/bin/$t")
done
echo "No data race found."
