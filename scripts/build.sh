#!/usr/bin/env bash
# Configures and builds everything: x86 into build/ and x64 into build-x64/
# (deliverables in bin/ of each). DODAVOZI_ARCH=x86 or x64 builds one alone;
# DODAVOZI_JOBS sets the parallel jobs (default: one per core).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
for arch in $(selected_arches); do
  use_arch "$arch"
  # Configure every time: folders join the build when their CMakeLists.txt appears.
  cmake -S "$ROOT" -B "$DODAVOZI_BUILD_DIR" -DCMAKE_TOOLCHAIN_FILE="$DODAVOZI_TOOLCHAIN" >/dev/null
  cmake --build "$DODAVOZI_BUILD_DIR" -j"${DODAVOZI_JOBS:-$(nproc)}" -- --no-print-directory "$@"
done
