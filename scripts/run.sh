#!/usr/bin/env bash
# Installs what VornRecovery needs, builds it and starts it: the window when a display is
# present, otherwise a command-line scan of the demonstration image.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/deps.sh" run
"$top/scripts/build.sh" "$top/build" -DCMAKE_BUILD_TYPE=Release -DVORN_TESTS=OFF -DVORN_BENCH=OFF
demo="$top/build/demo/demo.img"
mkdir -p "$(dirname "$demo")"
"$top/scripts/make-demo-image.sh" "$demo"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec "$top/build/bin/vornrecovery" "$demo" "$@"
fi
echo "No display: scanning the demonstration image $demo"
exec "$top/build/bin/vornrecovery-cli" scan "$demo"
