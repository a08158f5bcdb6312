#!/usr/bin/env bash
# Builds the fuzz targets natively with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) into build-fuzz/ and runs each one for the given
# number of seconds. Exit status is non-zero when a target crashes or reports
# undefined behaviour; the input that did it is kept in build-fuzz/artifacts/.
# Without clang and libFuzzer it says so and succeeds. Each target's corpus
# grows in build-fuzz/corpus/, so later runs go on where earlier ones stopped.
#
#   scripts/fuzz.sh [seconds per target, default 10] [name filter (grep pattern)]
#
# DODAVOZI_FUZZ_PARALLEL=n runs up to n targets at once (default 1), for long
# passes; each line of the summary gives the target's executions and coverage.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
SECONDS_PER_TARGET="${1:-10}"
FILTER="${2:-}"
PARALLEL="${DODAVOZI_FUZZ_PARALLEL:-1}"
# A small quarantine: the default one (256 MiB) makes every run touch fresh
# pages, which costs more than the code under test, while a use after free
# within one input is still caught.
export ASAN_OPTIONS="${ASAN_OPTIONS:-quarantine_size_mb=16}"
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

# Runs one target; its verdict goes to <log>.verdict for the summary.
run_target() {
  local name=$1 seeds=$2 max_len=$3
  local corpus="$BUILD/corpus/$name" log="$BUILD/logs/$name.log"
  mkdir -p "$corpus" "$BUILD/artifacts" "$BUILD/logs"
  local dirs=("$corpus")
  [ -d "$seeds" ] && dirs+=("$seeds")
  rm -f "$log.verdict"
  if "$BUILD/bin/$name" -max_total_time="$SECONDS_PER_TARGET" -max_len="$max_len" -timeout=10 \
       -print_final_stats=1 -artifact_prefix="$BUILD/artifacts/$name-" "${dirs[@]}" >"$log" 2>&1; then
    local runs cov
    runs=$(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo '?')
    cov=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | grep -o 'cov: [0-9]* ft: [0-9]*' || echo 'cov: ?')
    echo "fuzz: $name: ok ($runs runs in ${SECONDS_PER_TARGET}s, $cov)" >"$log.verdict"
  else
    { echo "fuzz: $name: FAILED (log: $log)"; tail -n 30 "$log"; } >"$log.verdict"
  fi
}

names=()
while IFS='|' read -r name seeds max_len; do
  [ -z "$name" ] && continue
  if [ -n "$FILTER" ] && ! grep -q -- "$FILTER" <<<"$name"; then continue; fi
  names+=("$name")
  while [ "$(jobs -rp | wc -l)" -ge "$PARALLEL" ]; do wait -n || true; done
  run_target "$name" "$seeds" "${max_len:-4096}" &
done <"$BUILD/fuzzers.txt"
wait

failed=()
for name in "${names[@]}"; do
  verdict="$BUILD/logs/$name.log.verdict"
  cat "$verdict" 2>/dev/null || echo "fuzz: $name: FAILED (no verdict)"
  grep -qs ': ok (' "$verdict" || failed+=("$name")
done
ran=${#names[@]}

if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz: ${#failed[@]} of $ran targets failed: ${failed[*]}"
  exit 1
fi
echo "fuzz: $ran targets passed"
