#!/usr/bin/env bash
# Both builds export the same names at the same ordinals: every DLL in
# build/bin (and the control, an .ocx) against its twin in build-x64/bin.
# Exit status 1 on a difference.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# "ordinal name" per export, sorted; the ordinal base is added back.
exports_of() {
  objdump -p "$1" | awk '
    /^Ordinal Base/ { base = $3 }
    /\[Ordinal\/Name Pointer\] Table/ { table = 1; next }
    table && /^[ \t]*\[/ { gsub(/[\[\]]/, ""); print $1 + base, $2; next }
    table { exit }' | sort
}

status=0
for dll in "$ROOT"/build/bin/*.dll "$ROOT"/build/bin/*.ocx; do
  name=$(basename "$dll")
  twin="$ROOT/build-x64/bin/$name"
  if [ ! -f "$twin" ]; then echo "exports: $name has no 64-bit build"; status=1; continue; fi
  if ! diff <(exports_of "$dll") <(exports_of "$twin") >/dev/null; then
    echo "exports: $name differs between the builds:"; diff <(exports_of "$dll") <(exports_of "$twin") || true
    status=1
  fi
done
[ $status = 0 ] && echo "exports: $(ls "$ROOT"/build/bin/*.dll "$ROOT"/build/bin/*.ocx | wc -l) DLLs export the same names and ordinals in both builds"
exit $status
