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
export WINEPATH="$(winepath -w "$DODAVOZI_BUILD_DIR/bin" 2>/dev/null || echo "Z:${DODAVOZI_BUILD_DIR//\//\\}\\bin")"

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
start_wineserver() {
  wineserver -p >/dev/null 2>&1 & WINESERVER_STARTED=1
  start_desktop
}

# The desktop process that Wine starts on demand here comes up without its
# display driver, so windows cannot be created; start it ourselves and wait
# until it has loaded the driver.
start_desktop() {
  [ -n "${DISPLAY:-}" ] || return 0
  wine explorer.exe /desktop >/dev/null 2>&1 &
  # Ask only once it has had time to claim the desktop: an earlier Wine
  # process would start a second, driverless desktop process of its own.
  sleep 2
  local i
  for i in $(seq 1 50); do
    wine reg query 'HKLM\System\CurrentControlSet\Control\Video' /s 2>/dev/null | grep -q GraphicsDriver && return 0
    sleep 0.2
  done
  echo "warning: the Wine desktop did not come up; window tests will fail" >&2
}
stop_wineserver() { [ -n "${WINESERVER_STARTED:-}" ] && wineserver -k >/dev/null 2>&1 || true; }
