#!/usr/bin/env bash
# Configures and builds into the given folder. Usage: scripts/build.sh BUILD_DIR [cmake options]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=$1; shift
cmake -S "$top" -B "$dir" -G Ninja "$@" >/dev/null
cmake --build "$dir" -j "$(nproc)"
