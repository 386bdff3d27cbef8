#!/usr/bin/env bash
# Installs what the tests need, builds with AddressSanitizer and UndefinedBehaviorSanitizer and
# runs every test. Exits non-zero on any failure.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/deps.sh" test
build=${VORN_TEST_BUILD:-$top/build-test}
"$top/scripts/build.sh" "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORN_SANITIZE=ON
cd "$build"
ctest -j "$(nproc)" --output-on-failure --timeout 900
