#!/usr/bin/env bash
# The program without its video window control, and its own registration of
# the control, which it does only on Windows XP: in a throw-away prefix of the
# suite's architecture the record manager is asked for while no control is
# registered; then the prefix is set to report XP and the start-up runs there
# twice (control missing, control present). The prefix and its server are
# removed afterwards.
#   xp-registration.sh <arch> <xp_registration_run.exe>
set -euo pipefail
ARCH=$1 HELPER=$2
DODAVOZI_ARCH_NOW=$ARCH
source "$(dirname "${BASH_SOURCE[0]}")/../../../../scripts/env.sh"
use_arch "$ARCH"
work=$(mktemp -d)
export WINEPREFIX="$work/prefix"
# No folder of deliverables on the search path: a missing Rerezed.ocx must
# stay missing.
unset WINEPATH
cleanup() { wineserver -k >/dev/null 2>&1 || true; wineserver -w >/dev/null 2>&1 || true; rm -rf "$work"; }
trap cleanup EXIT
mkdir -p "$WINEPREFIX"
wineboot -i >/dev/null 2>&1 || true
wineserver -w
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
wine "$HELPER" --gtest_color=no --gtest_filter='NoVideoControl.*'
[ "$ARCH" = x64 ] && version=winxp64 || version=winxp
wine winecfg -v "$version" >/dev/null 2>&1
wineserver -w
wine "$HELPER" --gtest_color=no --gtest_filter='XpRegistration.*'
