#!/usr/bin/env bash
# Builds the fuzz targets natively with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) into build-fuzz/ and runs each one for the given
# number of seconds. Exit status is non-zero when a target crashes or reports
# undefined behaviour; the input that did it is kept in build-fuzz/artifacts/.
# Without clang and libFuzzer it says so and succeeds.
#
#   scripts/fuzz.sh [seconds per target, default 10] [name filter (grep pattern)]
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
SECONDS_PER_TARGET="${1:-10}"
FILTER="${2:-}"
BUILD="${DODAVOZI_FUZZ_BUILD_DIR:-$ROOT/build-fuzz}"

libfuzzer_works() {
  command -v clang >/dev/null && command -v clang++ >/dev/null || return 1
  local probe; probe=$(mktemp -d)
  echo 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }' \
    >"$probe/probe.cpp"
  local ok=0
  clang++ -fsanitize=fuzzer,address,undefined "$probe/probe.cpp" -o "$probe/probe" >/dev/null 2>&1 || ok=1
  rm -rf "$probe"
  return $ok
}

if ! libfuzzer_works; then
  echo "fuzz: SKIPPED: clang with libFuzzer is not installed (Debian packages clang and libclang-rt-<version>-dev)"
  exit 0
fi

cmake -S "$ROOT/fuzz" -B "$BUILD" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$BUILD" -j"$(nproc)" -- --no-print-directory >/dev/null

failed=()
ran=0
while IFS='|' read -r name seeds; do
  [ -z "$name" ] && continue
  if [ -n "$FILTER" ] && ! grep -q -- "$FILTER" <<<"$name"; then continue; fi
  corpus="$BUILD/corpus/$name"
  mkdir -p "$corpus" "$BUILD/artifacts"
  dirs=("$corpus")
  [ -d "$seeds" ] && dirs+=("$seeds")
  log="$BUILD/logs/$name.log"
  mkdir -p "$BUILD/logs"
  if "$BUILD/bin/$name" -max_total_time="$SECONDS_PER_TARGET" -timeout=10 -print_final_stats=1 \
       -artifact_prefix="$BUILD/artifacts/$name-" "${dirs[@]}" >"$log" 2>&1; then
    echo "fuzz: $name: ok ($(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo '?') runs in ${SECONDS_PER_TARGET}s)"
  else
    echo "fuzz: $name: FAILED (log: $log)"
    tail -n 30 "$log"
    failed+=("$name")
  fi
  ran=$((ran + 1))
done <"$BUILD/fuzzers.txt"

if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz: ${#failed[@]} of $ran targets failed: ${failed[*]}"
  exit 1
fi
echo "fuzz: $ran targets passed"
