#!/usr/bin/env bash
# Installs what the tests need, builds with AddressSanitizer and UndefinedBehaviorSanitizer and
# runs every test. Exits non-zero on any failure.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/deps.sh" test
build=${VORN_TEST_BUILD:-$top/build-test}
"$top/scripts/build.sh" "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORN_SANITIZE=ON
status=0
(cd "$build" && ctest -j "$(nproc)" --output-on-failure --timeout 900) || status=1
# Every fuzz target for a short, fixed number of runs, plus the saved crash reproducers.
echo "Fuzz targets (smoke runs):"
"$top/scripts/fuzz.sh" smoke || status=1
exit $status
