#!/usr/bin/env bash
# Sets everything up, builds, and starts Dodavozi under Wine: the 32-bit
# program where this machine starts 32-bit programs, the 64-bit one otherwise.
# Without a display the program runs on a virtual one (Xvfb), and the script
# says how to look at it.
set -euo pipefail
HERE="$(dirname "${BASH_SOURCE[0]}")"
bash "$HERE/setup.sh"
source "$HERE/env.sh"
if [ "${DODAVOZI_ARCH:-x86}" = x86 ] && can_run_x86; then
  arch=x86
  echo "run: starting the 32-bit program (build/bin)"
else
  arch=x64
  why=""
  [ "${DODAVOZI_ARCH:-x86}" = x86 ] && why=": this machine does not start 32-bit programs"
  echo "run: starting the 64-bit program (build-x64/bin)$why"
fi
# Only what the program needs (its target depends on everything it loads
# from its folder), of the one architecture that runs.
DODAVOZI_ARCH=$arch bash "$HERE/build.sh" Dodavozi >/dev/null
use_arch $arch
cleanup() { [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true; }
trap cleanup EXIT
ensure_display
ensure_wine_prefix
if [ -n "${XVFB_PID:-}" ]; then
  echo "run: no display was set: the program runs on the virtual display $DISPLAY (Xvfb)."
  echo "run: to look at it, attach a VNC server to that display (x11vnc -display $DISPLAY) and a viewer to it,"
  echo "run: or take a picture of it (xwd -root -display $DISPLAY | convert xwd:- shot.png)."
fi
echo "run: log in as vorpl (password vorpl); Exit in the window or its tray menu ends the program."
cd "$DODAVOZI_BUILD_DIR/bin"
wine Dodavozi.exe
