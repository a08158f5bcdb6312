#!/usr/bin/env bash
# Sets everything up, builds, and starts Dodavozi under Wine: the 32-bit
# program where this machine starts 32-bit programs, the 64-bit one otherwise.
set -euo pipefail
HERE="$(dirname "${BASH_SOURCE[0]}")"
bash "$HERE/setup.sh"
bash "$HERE/build.sh" >/dev/null
source "$HERE/env.sh"
if can_run_x86 && [ "${DODAVOZI_ARCH:-x86}" = x86 ]; then
  use_arch x86
  echo "run: starting the 32-bit program (build/bin)"
else
  use_arch x64
  echo "run: starting the 64-bit program (build-x64/bin): this machine does not start 32-bit programs"
fi
if [ ! -f "$DODAVOZI_BUILD_DIR/bin/Dodavozi.exe" ]; then
  echo "run: Dodavozi.exe is not built yet: the main window and its start-up are still to come." >&2
  exit 1
fi
ensure_display
ensure_wine_prefix
cd "$DODAVOZI_BUILD_DIR/bin"
exec wine Dodavozi.exe
