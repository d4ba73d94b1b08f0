#!/usr/bin/env bash
# Sets up and runs Quillon 2: packages, build, the cache folder beside the program with its
# settings files and an empty show database (first use only), then the console.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/build.sh"
"$root/build/bin/quillon-prepare-cache" "$root/build/bin/cache/"

# The program picks X11 itself (its output windows stand at desktop coordinates).
if [[ -z "${DISPLAY:-}" ]]; then
  echo "No display: running on a virtual 1920x1080 screen (Xvfb)."
  exec xvfb-run -a -s "-screen 0 1920x1080x24" "$root/build/bin/quillon"
fi
exec "$root/build/bin/quillon"
