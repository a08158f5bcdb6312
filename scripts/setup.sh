#!/usr/bin/env bash
# Installs everything the build and the tests need on a fresh Debian machine,
# then builds SQLite and TinyXML from Debian's source packages with the cross
# compiler into the dependency cache. Idempotent and quiet when all is present.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
DEPS_DIR="${DODAVOZI_DEPS_DIR:-$ROOT/.cache/deps}"
LOG="$ROOT/.cache/setup.log"
mkdir -p "$ROOT/.cache"

PACKAGES=(
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
  mingw-w64-i686-dev wine wine32:i386 xvfb xauth cmake make googletest
  dpkg-dev tcl sqlite3 iproute2 clang libclang-rt-dev python3
)

as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

missing_packages() {
  local p
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || echo "$p"
  done
}

apt_updated=0
apt_update_once() {
  if [ $apt_updated = 0 ]; then
    as_root apt-get update -q >>"$LOG" 2>&1
    apt_updated=1
  fi
}

install_packages() {
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386
  fi
  local missing
  missing=$(missing_packages)
  [ -z "$missing" ] && return 0
  echo "setup: installing $(echo $missing | wc -w) Debian packages (log: $LOG)"
  apt_update_once
  # shellcheck disable=SC2086
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $missing >>"$LOG" 2>&1
}

# apt-get source needs a deb-src entry for the archive the machine already uses.
enable_source_entries() {
  if grep -rqs '^Types:.*deb-src\|^deb-src ' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    return 0
  fi
  local uri suite
  uri=$(grep -rhs '^URIs:' /etc/apt/sources.list.d/*.sources | head -1 | awk '{print $2}')
  suite=$(grep -rhs '^Suites:' /etc/apt/sources.list.d/*.sources | head -1 | awk '{print $2}')
  if [ -z "$uri" ]; then
    uri=$(awk '$1=="deb"{print $2; exit}' /etc/apt/sources.list)
    suite=$(awk '$1=="deb"{print $3; exit}' /etc/apt/sources.list)
  fi
  as_root tee /etc/apt/sources.list.d/dodavozi-src.sources >/dev/null <<EOF
Types: deb-src
URIs: $uri
Suites: $suite
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
  apt_updated=0
}

fetch_source() { # package -> prints the unpacked source folder
  local pkg=$1 dir="$ROOT/.cache/src/$1"
  if ! ls -d "$dir"/*/ >/dev/null 2>&1; then
    enable_source_entries
    apt_update_once
    mkdir -p "$dir"
    (cd "$dir" && apt-get source -q "$pkg" >>"$LOG" 2>&1)
  fi
  ls -d "$dir"/*/ | head -1
}

CC=i686-w64-mingw32-gcc-posix
CXX=i686-w64-mingw32-g++-posix
AR=i686-w64-mingw32-ar

build_sqlite() {
  [ -f "$DEPS_DIR/lib/libsqlite3.a" ] && return 0
  echo "setup: building SQLite from Debian's source package"
  local src work
  src=$(fetch_source sqlite3)
  work="$ROOT/.cache/build-sqlite"
  rm -rf "$work" && mkdir -p "$work"
  # The amalgamation is generated on the build machine from the canonical sources.
  (cd "$work" && "$src/configure" --disable-tcl >>"$LOG" 2>&1 && make -j"$(nproc)" sqlite3.c sqlite3.h >>"$LOG" 2>&1)
  mkdir -p "$DEPS_DIR/lib" "$DEPS_DIR/include" "$DEPS_DIR/bin"
  $CC -O2 -DSQLITE_THREADSAFE=1 -DSQLITE_OMIT_LOAD_EXTENSION -c "$work/sqlite3.c" -o "$work/sqlite3.o"
  $AR rcs "$DEPS_DIR/lib/libsqlite3.a" "$work/sqlite3.o"
  cp "$work/sqlite3.h" "$DEPS_DIR/include/"
}

build_tinyxml() {
  [ -f "$DEPS_DIR/lib/libtinyxml.a" ] && return 0
  echo "setup: building TinyXML from Debian's source package"
  local src work f
  src=$(fetch_source tinyxml)
  work="$ROOT/.cache/build-tinyxml"
  rm -rf "$work" && mkdir -p "$work"
  # apt-get source applies Debian's patches: keep the security fixes, but take
  # back the one that forces the standard-library mode, which this program
  # does not use.
  cp -r "$src" "$work/src"
  (cd "$work/src" && patch -R -p1 -s < debian/patches/enforce-use-stl.patch)
  for f in tinyxml tinystr tinyxmlerror tinyxmlparser; do
    $CXX -O2 -c "$work/src/$f.cpp" -o "$work/$f.o"
  done
  mkdir -p "$DEPS_DIR/lib" "$DEPS_DIR/include"
  $AR rcs "$DEPS_DIR/lib/libtinyxml.a" "$work"/*.o
  cp "$work/src/tinyxml.h" "$work/src/tinystr.h" "$DEPS_DIR/include/"
}

install_packages
build_sqlite
build_tinyxml
