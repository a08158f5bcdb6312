#!/usr/bin/env bash
# Configures and builds everything into build/ (deliverables in build/bin).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
# Configure every time: folders join the build when their CMakeLists.txt appears.
cmake -S "$ROOT" -B "$DODAVOZI_BUILD_DIR" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-mingw-i686.cmake" >/dev/null
cmake --build "$DODAVOZI_BUILD_DIR" -j"$(nproc)" -- --no-print-directory "$@"
