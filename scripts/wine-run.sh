#!/usr/bin/env bash
# Runs one Windows executable under the project's Wine prefix (CTest's emulator).
#   wine-run.sh x86|x64 program.exe [arguments]
DODAVOZI_ARCH_NOW="$1"
shift
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
exec wine "$@"
