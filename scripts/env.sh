# Sourced by the other scripts: where things are and how Wine runs here.
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export DODAVOZI_BUILD_DIR="${DODAVOZI_BUILD_DIR:-$ROOT/build}"
export WINEPREFIX="${WINEPREFIX:-$DODAVOZI_BUILD_DIR/wine}"
export WINEARCH=win32
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko install prompts when the prefix is made.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
# en_US gives the ANSI code page 1252 that the tests expect.
export LC_ALL=C.UTF-8 LANG=C.UTF-8
# The deliverables' folder, so test executables find the DLLs they load.
# Spelled out rather than asked of winepath: a Wine call here, before the
# display is set, would leave a server whose desktop has no display driver.
export WINEPATH="Z:${DODAVOZI_BUILD_DIR//\//\\}\\bin"

ensure_wine_prefix() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
  fi
  # Unmanaged windows: with no window manager on Xvfb, hiding a managed
  # window waits 2 s for a state change that never comes.
  if ! grep -q '"Managed"="N"' "$WINEPREFIX/user.reg" 2>/dev/null; then
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
    wineserver -w
  fi
  # A crashing test must end at once with a failing status: the crash dialog
  # would wait on the display until the test's time-out.
  if ! grep -q '"ShowCrashDialog"=dword:00000000' "$WINEPREFIX/user.reg" 2>/dev/null; then
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 || true
    wineserver -w
  fi
}

# Starts Xvfb on a free display unless one is set; sets XVFB_PID.
ensure_display() {
  XVFB_PID=
  [ -n "${DISPLAY:-}" ] && return 0
  local fifo; fifo=$(mktemp -u); mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  XVFB_PID=$!
  local n; read -r n <"$fifo"; rm -f "$fifo"
  export DISPLAY=":$n"
}

# A wineserver that stays up for the whole run; each Wine process start is then fast.
# A server still lingering from an earlier Wine call may have been started
# without this run's display and would give windows no driver: end it first.
start_wineserver() {
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  wineserver -p >/dev/null 2>&1 & WINESERVER_STARTED=1
  # The first Wine process starts the prefix's services, which live as long
  # as the server and keep that process's output handles: started by a test,
  # they would hold ctest's pipe open and the test would never end for it.
  wine cmd.exe /c exit </dev/null >/dev/null 2>&1 || true
}
# Waits for the old server to be gone: a next run must not reach a dying
# server whose desktop still talks to this run's closed display.
stop_wineserver() { [ -n "${WINESERVER_STARTED:-}" ] && { wineserver -k >/dev/null 2>&1; wineserver -w >/dev/null 2>&1; } || true; }
