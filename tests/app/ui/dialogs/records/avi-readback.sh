#!/usr/bin/env bash
# The record manager's To AVI in the running program, its files read back by
# ffprobe on the host: each must be a video of the recording's frame count,
# picture size and rate (the test's recordings: 40 s at 8 frames a second,
# 160 x 120).
#   avi-readback.sh <wine-run.sh> <arch> <test_record_manage_program.exe>
set -euo pipefail
WINE_RUN=$1 ARCH=$2 TEST=$3
# Not in /tmp: the chooser lists each folder on the way once, and a folder
# whose entries come and go meanwhile (compilers' and other tests' temporary
# files under load) can leave that list without the next step of the path.
work=$(mktemp -d -p "$PWD" avi-readback.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir "$work/out"
DODAVOZI_AVI_FOLDER="Z:${work//\//\\}\\out" bash "$WINE_RUN" "$ARCH" "$TEST" --gtest_color=no \
  --gtest_filter='*ToAviOfTwoRecordingsIntoAChosenFolder'
if ! command -v ffprobe >/dev/null; then
  echo "ffprobe is not installed (scripts/setup.sh installs ffmpeg)"; exit 77
fi
expected=$'width=160\nheight=120\nr_frame_rate=8/1\nnb_read_frames=320'
status=0
for name in gate.avi yard.avi; do
  file="$work/out/$name"
  [ -f "$file" ] || { echo "$name: not written"; status=1; continue; }
  if ! actual=$(ffprobe -v error -select_streams v:0 -count_frames \
      -show_entries stream=width,height,r_frame_rate,nb_read_frames -of default=nw=1 "$file"); then
    echo "$name: ffprobe refused it"; status=1; continue
  fi
  if [ "$actual" != "$expected" ]; then
    echo "$name: read back differs"; echo "expected:"; echo "$expected"; echo "actual:"; echo "$actual"; status=1
  else
    echo "$name: 320 frames of 160x120 at 8/s"
  fi
done
exit $status
