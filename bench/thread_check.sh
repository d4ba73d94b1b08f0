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
# A race ends the test program with status 66. Other failures are timing checks that the
# sanitizer's slowness (several times slower) can miss: reported, but not a race.
export TSAN_OPTIONS="halt_on_error=1 exitcode=66 second_deadlock_stack=1 suppressions=$root/bench/thread_check.supp"
races=0
for t in "${tests[@]}"; do
  driver=dummy
  [[ $t == test_player_sound ]] && driver=disk
  echo "== $t"
  status=0
  (cd "$build/tests" && SDL_AUDIODRIVER=$driver "$build/bin/$t") >"$build/$t.log" 2>&1 || status=$?
  grep -E "^(FAIL|Totals)|WARNING: ThreadSanitizer" "$build/$t.log" || true
  if ((status == 66)); then
    races=1
    echo "$t: data race, see $build/$t.log"
  elif ((status != 0)); then
    echo "$t: a check failed under the sanitizer's slowness (no race); see $build/$t.log"
  fi
done
if ((races)); then
  exit 1
fi
echo "No data race found."
