#!/usr/bin/env bash
# Installs everything the build and the tests need on a fresh Debian machine,
# then builds SQLite and TinyXML from Debian's source packages with the cross
# compiler into the dependency cache. Idempotent and quiet when all is present.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
DEPS_DIR="${DODAVOZI_DEPS_DIR:-$ROOT/.cache/deps}"
LOG="$ROOT/.cache/setup.log"
mkdir -p "$ROOT/.cache"

# Both architectures: the 32-bit build and Wine of record, and the 64-bit
# build with 64-bit Wine that every machine can run. Wine's own fonts draw
# the glyphs of the windows' caption buttons.
PACKAGES=(
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  mingw-w64-i686-dev mingw-w64-x86-64-dev wine wine32:i386 wine64
  xvfb xauth cmake make ninja-build googletest
  dpkg-dev tcl sqlite3 iproute2 clang libclang-rt-dev python3
  libreoffice-calc-nogui ffmpeg fonts-wine
)

as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

# One query for all of them: each dpkg-query start reads dpkg's whole
# database, and this runs before every build, test and program start.
missing_packages() {
  local -A installed=()
  local name p native
  native=$(dpkg --print-architecture)
  while read -r name; do installed[$name]=1; done < <(
    dpkg-query -W -f='${Status} ${binary:Package}\n' "${PACKAGES[@]}" 2>/dev/null |
      awk '$1 == "install" && $3 == "installed" { print $4 }')
  for p in "${PACKAGES[@]}"; do
    [ -n "${installed[$p]:-}" ] || [ -n "${installed[$p:$native]:-}" ] || echo "$p"
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

# Each dependency is built once per target triplet into its own folder.
use_triplet() {
  TRIPLET=$1
  CC=$1-gcc-posix
  CXX=$1-g++-posix
  AR=$1-ar
  OUT="$DEPS_DIR/$1"
}

build_sqlite() {
  [ -f "$OUT/lib/libsqlite3.a" ] && return 0
  echo "setup: building SQLite for $TRIPLET from Debian's source package"
  local src work
  src=$(fetch_source sqlite3)
  work="$ROOT/.cache/build-sqlite"
  # The amalgamation is generated on the build machine from the canonical sources, once.
  if [ ! -f "$work/sqlite3.c" ]; then
    rm -rf "$work" && mkdir -p "$work"
    (cd "$work" && "$src/configure" --disable-tcl >>"$LOG" 2>&1 && make -j"$(nproc)" sqlite3.c sqlite3.h >>"$LOG" 2>&1)
  fi
  mkdir -p "$OUT/lib" "$OUT/include"
  $CC -O2 -DSQLITE_THREADSAFE=1 -DSQLITE_OMIT_LOAD_EXTENSION -c "$work/sqlite3.c" -o "$work/sqlite3-$TRIPLET.o"
  $AR rcs "$OUT/lib/libsqlite3.a" "$work/sqlite3-$TRIPLET.o"
  cp "$work/sqlite3.h" "$OUT/include/"
}

build_tinyxml() {
  [ -f "$OUT/lib/libtinyxml.a" ] && return 0
  echo "setup: building TinyXML for $TRIPLET from Debian's source package"
  local src work f
  src=$(fetch_source tinyxml)
  work="$ROOT/.cache/build-tinyxml-$TRIPLET"
  rm -rf "$work" && mkdir -p "$work"
  # apt-get source applies Debian's patches: keep the security fixes, but take
  # back the one that forces the standard-library mode, which this program
  # does not use.
  cp -r "$src" "$work/src"
  (cd "$work/src" && patch -R -p1 -s < debian/patches/enforce-use-stl.patch)
  for f in tinyxml tinystr tinyxmlerror tinyxmlparser; do
    $CXX -O2 -c "$work/src/$f.cpp" -o "$work/$f.o"
  done
  mkdir -p "$OUT/lib" "$OUT/include"
  $AR rcs "$OUT/lib/libtinyxml.a" "$work"/*.o
  cp "$work/src/tinyxml.h" "$work/src/tinystr.h" "$OUT/include/"
}

install_packages
for triplet in i686-w64-mingw32 x86_64-w64-mingw32; do
  use_triplet $triplet
  build_sqlite
  build_tinyxml
done
