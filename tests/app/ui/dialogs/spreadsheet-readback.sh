#!/usr/bin/env bash
# Reads the stand-in's exported workbook back through LibreOffice: the file
# must open as an Excel 2003 XML workbook and hold the exported cells.
#   spreadsheet-readback.sh <wine-run.sh> <arch> <export helper .exe>
set -euo pipefail
WINE_RUN=$1 ARCH=$2 HELPER=$3
if ! command -v soffice >/dev/null; then
  echo "soffice is not installed (scripts/setup.sh installs it)"; exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/out" "$work/csv"
bash "$WINE_RUN" "$ARCH" "$HELPER" "Z:${work//\//\\}\\out"
files=("$work"/out/*.xml)
[ ${#files[@]} -eq 1 ] && [ -f "${files[0]}" ] || { echo "expected one workbook, found: ${files[*]}"; exit 1; }
soffice -env:UserInstallation="file://$work/profile" --headless --infilter="MS Excel 2003 XML" \
  --convert-to "csv:Text - txt - csv (StarCalc):44,34,76,1" --outdir "$work/csv" "${files[0]}" >/dev/null 2>&1
expected=$'"No.","User","Text"\n"1","admin","He said ""stop"" & left <early>"\n"2","café","日本語, \'quoted\'"'
actual=$(cat "$work"/csv/*.csv)
if [ "$actual" != "$expected" ]; then
  echo "cells read back differ"; echo "expected:"; echo "$expected"; echo "actual:"; echo "$actual"; exit 1
fi
echo "read back: ${files[0]##*/} as expected"
