#!/usr/bin/env bash
# Configures and builds everything into build/ (deliverables in build/bin).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
if [ ! -f "$DODAVOZI_BUILD_DIR/CMakeCache.txt" ]; then
  cmake -S "$ROOT" -B "$DODAVOZI_BUILD_DIR" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-mingw-i686.cmake" >/dev/null
fi
cmake --build "$DODAVOZI_BUILD_DIR" -j"$(nproc)" -- --no-print-directory "$@"
