# Sourced by the other scripts: where things are and how Wine runs here.
# Two builds from one tree: x86 in build/ (PE32, the deliverables of record,
# 32-bit Wine) and x64 in build-x64/ (PE32+, 64-bit Wine). `use_arch` picks
# one for the rest of the shell; x86 is the default.
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko install prompts when the prefix is made.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
# en_US gives the ANSI code page 1252 that the tests expect.
export LC_ALL=C.UTF-8 LANG=C.UTF-8

use_arch() {
  case "$1" in
    x86)
      export DODAVOZI_ARCH_NOW=x86 DODAVOZI_BUILD_DIR="$ROOT/build" WINEARCH=win32
      DODAVOZI_TOOLCHAIN="$ROOT/cmake/toolchain-mingw-i686.cmake" ;;
    x64)
      export DODAVOZI_ARCH_NOW=x64 DODAVOZI_BUILD_DIR="$ROOT/build-x64" WINEARCH=win64
      DODAVOZI_TOOLCHAIN="$ROOT/cmake/toolchain-mingw-x86_64.cmake"
      # wine, wineserver and wineboot by name are the 64-bit ones from here on.
      case ":$PATH:" in *":$ROOT/scripts/wine-x64:"*) ;; *) export PATH="$ROOT/scripts/wine-x64:$PATH" ;; esac ;;
    *) echo "unknown architecture '$1' (x86 or x64)" >&2; return 2 ;;
  esac
  export WINEPREFIX="$DODAVOZI_BUILD_DIR/wine"
  # The deliverables' folder, so test executables find the DLLs they load.
  # Spelled out rather than asked of winepath: a Wine call here, before the
  # display is set, would leave a server whose desktop has no display driver.
  export WINEPATH="Z:${DODAVOZI_BUILD_DIR//\//\\}\\bin"
}

# The architectures to build: DODAVOZI_ARCH narrows them to one.
selected_arches() { echo "${DODAVOZI_ARCH:-x86 x64}"; }

# Whether this machine starts 32-bit programs: some kernels run 64-bit user
# code only, and there 32-bit Wine cannot start at all.
can_run_x86() { [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1; }

use_arch "${DODAVOZI_ARCH_NOW:-x86}"

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
  # Wine's own crash debugger ends the crashed process with exit code 0, so a
  # test program that page-faults after its last check would count as passed.
  # A debugger that cannot start leaves the crash to end the process with the
  # exception's code; Wine still prints the fault and its address first.
  if ! grep -q '"Debugger"="no-crash-debugger.exe"' "$WINEPREFIX/system.reg" 2>/dev/null; then
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /d no-crash-debugger.exe /f >/dev/null 2>&1 || true
    wineserver -w
  fi
  install_caption_font
  register_video_control
  register_spreadsheet_standin
}

# Wine draws the caption buttons' glyphs with its own Marlett font (Debian's
# fonts-wine), but this Wine does not load its data folder's fonts: without a
# copy in the prefix the buttons show letters.
install_caption_font() {
  local font=/usr/share/wine/fonts/marlett.ttf fonts="$WINEPREFIX/drive_c/windows/Fonts"
  [ -f "$font" ] && [ -d "$fonts" ] && [ ! -f "$fonts/marlett.ttf" ] && cp "$font" "$fonts/" || true
}

# The record manager's video window control: Wine reports a Windows version
# on which the program does not register it itself, so each prefix gets the
# control of its own architecture here, through the control's own
# DllRegisterServer.
register_video_control() {
  local ocx="$DODAVOZI_BUILD_DIR/bin/Rerezed.ocx"
  [ -f "$ocx" ] || return 0
  local key='6A3C1F52-8E41-4D7B-9B20-5C7E2D8F4A61'
  if grep -qiF "CLSID\\\\{$key}\\\\InprocServer32" "$WINEPREFIX/system.reg" 2>/dev/null; then return 0; fi
  wine regsvr32 /s "Z:${ocx//\//\\}" >/dev/null 2>&1 || echo "env: registering Rerezed.ocx failed" >&2
  wineserver -w
}

# The spreadsheet automation stand-in under "Excel.Application", once it is
# built: the log export's workbooks open in it (tests and scripts/run.sh).
# Registered again when its class or the ProgID's class key is missing (a
# test that hides the ProgID and dies before putting it back).
register_spreadsheet_standin() {
  local dll="$DODAVOZI_BUILD_DIR/bin/xlauto.dll"
  [ -f "$dll" ] || return 0
  local key='E8B9B1EA-A594-425E-8088-CA194A15556B'
  if grep -qiF "CLSID\\\\{$key}\\\\InprocServer32" "$WINEPREFIX/system.reg" 2>/dev/null &&
    grep -qiF '[Software\\Classes\\Excel.Application\\CLSID]' "$WINEPREFIX/system.reg" 2>/dev/null; then
    return 0
  fi
  wine regsvr32 /s "Z:${dll//\//\\}" >/dev/null 2>&1 || echo "env: registering xlauto.dll failed" >&2
  wineserver -w
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
