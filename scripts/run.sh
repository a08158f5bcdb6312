#!/usr/bin/env bash
# Sets everything up, builds, and starts Dodavozi under Wine.
set -euo pipefail
HERE="$(dirname "${BASH_SOURCE[0]}")"
bash "$HERE/setup.sh"
bash "$HERE/build.sh" >/dev/null
source "$HERE/env.sh"
if [ ! -f "$DODAVOZI_BUILD_DIR/bin/Dodavozi.exe" ]; then
  echo "run: Dodavozi.exe is not built yet: the main window and its start-up are still to come." >&2
  exit 1
fi
ensure_display
ensure_wine_prefix
cd "$DODAVOZI_BUILD_DIR/bin"
exec wine Dodavozi.exe
