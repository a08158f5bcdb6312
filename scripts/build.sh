#!/usr/bin/env bash
# Builds everything with Ninja: x86 into build/ and x64 into build-x64/
# (deliverables in bin/ of each). DODAVOZI_ARCH=x86 or x64 builds one alone;
# DODAVOZI_JOBS sets the parallel jobs (default: one per core). Arguments are
# the targets to build (default: all), e.g. `scripts/build.sh bench_db`.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"

# Ninja re-runs CMake itself when a CMake file it read changes; configuring
# is needed only for a build folder without a cache, one made by another
# generator (made afresh), or a CMake file newer than the cache (a folder
# joins the build when its CMakeLists.txt appears, which Ninja cannot know).
configure_if_needed() {
  local dir=$DODAVOZI_BUILD_DIR cache=$DODAVOZI_BUILD_DIR/CMakeCache.txt
  # CMake leaves an unchanged cache untouched: the stamp tells when it last ran.
  local stamp=$DODAVOZI_BUILD_DIR/CMakeFiles/configured.stamp
  if [ -f "$cache" ] && ! grep -qx 'CMAKE_GENERATOR:INTERNAL=Ninja' "$cache"; then
    echo "build: $dir was made by another generator: configuring it afresh (its Wine prefix stays)"
    find "$dir" -mindepth 1 -maxdepth 1 ! -name wine -exec rm -rf {} +
  fi
  if [ -f "$cache" ] && [ -f "$dir/build.ninja" ] && [ -f "$stamp" ] && [ -z "$(newer_cmake_files "$stamp")" ]; then
    return 0
  fi
  cmake -S "$ROOT" -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$DODAVOZI_TOOLCHAIN" >/dev/null
  touch "$stamp"
}

newer_cmake_files() {
  find "$ROOT" \( -path "$ROOT/build*" -o -path "$ROOT/.cache" -o -path "$ROOT/.git" \) -prune \
    -o \( -name CMakeLists.txt -o -name '*.cmake' \) -newer "$1" -print -quit
}

for arch in $(selected_arches); do
  use_arch "$arch"
  configure_if_needed
  cmake --build "$DODAVOZI_BUILD_DIR" -j"${DODAVOZI_JOBS:-$(nproc)}" -- "$@"
done
