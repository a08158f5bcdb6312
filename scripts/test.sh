#!/usr/bin/env bash
# Sets everything up, builds, and runs every test under Wine. Exit status is
# non-zero on any failure. Extra arguments go to ctest (e.g. -L core).
set -euo pipefail
HERE="$(dirname "${BASH_SOURCE[0]}")"
bash "$HERE/setup.sh"
bash "$HERE/build.sh" >/dev/null
source "$HERE/env.sh"

cleanup() {
  stop_wineserver
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true
}
trap cleanup EXIT
ensure_display
ensure_wine_prefix
start_wineserver
# The full run (CI) also fuzzes every wire codec briefly on the host; a run
# narrowed by ctest arguments does not. DODAVOZI_FUZZ_SECONDS=0 skips it.
# It goes first so that ctest's summary closes the output.
if [ $# -eq 0 ] && [ "${DODAVOZI_FUZZ_SECONDS:-10}" != 0 ]; then
  bash "$ROOT/scripts/fuzz.sh" "${DODAVOZI_FUZZ_SECONDS:-10}"
fi
cd "$DODAVOZI_BUILD_DIR"
ctest --output-on-failure -j"$(nproc)" "$@"
