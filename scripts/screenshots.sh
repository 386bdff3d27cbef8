#!/usr/bin/env bash
# Renders every page of the window (all pages in English; home, volume and drive pages in every
# language) into PNG files for review. Usage: scripts/screenshots.sh [out folder] [images...]
# Builds vorn_screenshots in build-dev when needed and runs it under Xvfb.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/build-dev/screenshots}
shift || true
build=${VORN_BUILD_DIR:-$root/build-dev}
[ -d "$build" ] || cmake -S "$root" -B "$build" -G Ninja
cmake --build "$build" -j2 --target vorn_screenshots
mkdir -p "$out"
export VORN_DATA_DIR=${VORN_DATA_DIR:-$build/data}
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
xvfb-run -a -s "-screen 0 1280x1024x24" "$build/tools/vorn_screenshots" "$out" "$@"
echo "screenshots in $out"
ls "$out"
