#!/usr/bin/env bash
# Runs one Windows executable under the project's Wine prefix (CTest's emulator).
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
exec wine "$@"
