#!/usr/bin/env bash
# Sets everything up, builds both architectures, and runs every test under
# Wine: the 64-bit suite on every machine, the 32-bit suite as well wherever
# the machine starts 32-bit programs. Exit status is non-zero when either
# suite fails. Extra arguments go to ctest (e.g. -L core); DODAVOZI_ARCH=x86
# or x64 builds and tests one architecture alone.
set -euo pipefail
HERE="$(dirname "${BASH_SOURCE[0]}")"
bash "$HERE/setup.sh"
bash "$HERE/build.sh" >/dev/null
source "$HERE/env.sh"

if [ "$(selected_arches)" = "x86 x64" ]; then
  bash "$ROOT/scripts/check-exports.sh"
fi

cleanup() { [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true; }
trap cleanup EXIT
ensure_display

suites=()
for arch in $(selected_arches); do
  if [ "$arch" = x86 ] && ! can_run_x86; then
    echo "test: the 32-bit suite does not run here: this machine does not start 32-bit programs (built only)"
    continue
  fi
  suites+=("$arch")
done
echo "test: suites to run: ${suites[*]:-none}"

# The full run (CI) also fuzzes every wire codec briefly on the host, once; a
# run narrowed by ctest arguments does not. DODAVOZI_FUZZ_SECONDS=0 skips it.
# It goes first so that ctest's summary closes the output.
if [ $# -eq 0 ] && [ "${DODAVOZI_FUZZ_SECONDS:-10}" != 0 ]; then
  bash "$ROOT/scripts/fuzz.sh" "${DODAVOZI_FUZZ_SECONDS:-10}"
fi

# Each suite in a subshell of its own: its architecture, prefix and one
# persistent wineserver for the suite's whole run.
run_suite() (
  use_arch "$1"
  trap stop_wineserver EXIT
  ensure_wine_prefix
  start_wineserver
  echo "test: $1 suite ($DODAVOZI_BUILD_DIR)"
  cd "$DODAVOZI_BUILD_DIR"
  ctest --output-on-failure -j"${DODAVOZI_JOBS:-$(nproc)}" "${@:2}"
)

status=0
for arch in "${suites[@]}"; do
  run_suite "$arch" "$@" || status=1
done
[ ${#suites[@]} -gt 0 ] || status=1
exit $status
