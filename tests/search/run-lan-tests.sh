#!/usr/bin/env bash
# Runs the LAN test executable where its broadcasts cannot leave the machine:
# two network namespaces made for this run only, joined by one veth pair with
# addresses of this script's choosing, no other interface and no route beyond
# the link. The simulated devices answer from the second namespace. Wine makes
# its sockets in the wineserver, so a private Wine prefix gets a wineserver
# started inside the first namespace. Everything is removed on exit.
#
#   run-lan-tests.sh <test.exe> <responder> [gtest arguments...]
#
# Exit 77 (CTest's "skipped") when namespaces cannot be made here.
set -uo pipefail

TEST_EXE=$1
RESPONDER=$2
shift 2
GTEST_ARGS=("$@")
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
source "$ROOT/scripts/env.sh"

skip() {
  echo "SKIPPED: $* - the LAN tests broadcast and never run on the host network"
  exit 77
}

[ "$(id -u)" = 0 ] || skip "network namespaces need root"
command -v ip >/dev/null || skip "the ip tool is missing"

# Unique per run, so that parallel runs never meet; interface names stay
# within the kernel's 15 characters.
TAG="vr$$"
NS_LIB="${TAG}lib"
NS_DEV="${TAG}dev"
LINK_LIB="${TAG}l"
LINK_DEV="${TAG}d"
ADDR_LIB=10.77.0.1
ADDR_DEV=10.77.0.2
WORK="$(mktemp -d "${DODAVOZI_BUILD_DIR}/lan-test.XXXXXX")"
PREFIX="$WORK/wine"
LOG="$WORK/responder.log"
RESPONDER_PID=

cleanup() {
  [ -n "$RESPONDER_PID" ] && kill "$RESPONDER_PID" 2>/dev/null && wait "$RESPONDER_PID" 2>/dev/null
  [ -d "$PREFIX" ] && WINEPREFIX="$PREFIX" wineserver -k >/dev/null 2>&1
  ip netns del "$NS_LIB" 2>/dev/null
  ip netns del "$NS_DEV" 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT

ip netns add "$NS_LIB" 2>/dev/null || skip "cannot create a network namespace"
ip netns add "$NS_DEV" || skip "cannot create a second network namespace"
ip link add "$LINK_LIB" type veth peer name "$LINK_DEV" || skip "cannot create a veth pair"
set -e
ip link set "$LINK_LIB" netns "$NS_LIB"
ip link set "$LINK_DEV" netns "$NS_DEV"
ip -n "$NS_LIB" addr add "$ADDR_LIB/24" dev "$LINK_LIB"
ip -n "$NS_DEV" addr add "$ADDR_DEV/24" dev "$LINK_DEV"
ip -n "$NS_LIB" link set lo up
ip -n "$NS_LIB" link set "$LINK_LIB" up
ip -n "$NS_DEV" link set lo up
ip -n "$NS_DEV" link set "$LINK_DEV" up
# Only the limited broadcast needs a route of its own; there is no default route.
ip -n "$NS_LIB" route add 255.255.255.255/32 dev "$LINK_LIB"

# Each namespace holds loopback and its end of the link, nothing else.
for ns in "$NS_LIB" "$NS_DEV"; do
  links=$(ip -n "$ns" -o link show | awk -F': ' '{print $2}' | sed 's/@.*//' | sort | tr '\n' ' ')
  case "$links" in
    "lo ${TAG}d "|"lo ${TAG}l "|"${TAG}d lo "|"${TAG}l lo ") ;;
    *) echo "namespace $ns has unexpected links: $links"; exit 1 ;;
  esac
  if ip -n "$ns" route show | grep -q '^default'; then
    echo "namespace $ns has a default route"; exit 1
  fi
done
set +e

ip netns exec "$NS_DEV" "$RESPONDER" "$LOG" &
RESPONDER_PID=$!
for _ in $(seq 1 200); do
  grep -qx ready "$LOG" 2>/dev/null && break
  sleep 0.05
done
grep -qx ready "$LOG" || { echo "the device responder did not start"; exit 1; }

# A private copy of the project's prefix (or a new one): its wineserver is
# this run's alone, and starts inside the namespace with the first process.
if [ -f "$WINEPREFIX/system.reg" ]; then
  cp -a "$WINEPREFIX" "$PREFIX"
else
  mkdir -p "$PREFIX"
fi
export WINEPREFIX="$PREFIX"
wineserver -k >/dev/null 2>&1
ip netns exec "$NS_LIB" wineserver -p
ip netns exec "$NS_LIB" wineboot -i >/dev/null 2>&1

# Refuse to go on unless the wineserver, which makes the sockets, runs in the
# namespace.
# A wineserver works in a folder named after the prefix's device and inode.
SERVER_DIR_NAME=$(printf 'server-%x-%x' "$(stat -c %d "$PREFIX")" "$(stat -c %i "$PREFIX")")
NS_INODE=$(ip netns exec "$NS_LIB" stat -L -c %i /proc/self/ns/net)
server_found=0
for pid in $(pgrep '^wineserver'); do
  [ "$(basename "$(readlink "/proc/$pid/cwd" 2>/dev/null)")" = "$SERVER_DIR_NAME" ] || continue
  server_found=1
  if [ "$(stat -L -c %i "/proc/$pid/ns/net")" != "$NS_INODE" ]; then
    echo "the wineserver of the test prefix runs outside the namespace; not running"; exit 1
  fi
done
[ $server_found = 1 ] || { echo "no wineserver for the test prefix"; exit 1; }

ip netns exec "$NS_LIB" env VARIRUR_LAN_ADDRESS="$ADDR_LIB" VARIRUR_RESPONDER_LOG="Z:$LOG" \
  wine "$TEST_EXE" --gtest_color=no "${GTEST_ARGS[@]}"
status=$?

# The requests reached the simulated devices, all of them from the library's
# end of the link.
if [ $status = 0 ]; then
  requests=$(grep -vc '^ready$' "$LOG")
  strangers=$(grep -v '^ready$' "$LOG" | grep -vc " $ADDR_LIB\$")
  echo "responder saw $requests requests, $strangers from elsewhere"
  if [ "$requests" = 0 ] || [ "$strangers" != 0 ]; then status=1; fi
fi
exit $status
