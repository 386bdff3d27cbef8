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
# The threaded tests again under ThreadSanitizer, in a build of their own without the GUI.
echo "ThreadSanitizer (tests labelled threads):"
tsan=${VORN_TSAN_BUILD:-$top/build-tsan}
if cmake -S "$top" -B "$tsan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORN_TSAN=ON -DVORN_GUI=OFF \
        -DVORN_BENCH=OFF >/dev/null; then
    mapfile -t tsan_targets < <(cd "$tsan" && ctest -N -L threads | awk '/Test +#[0-9]+:/ {print $3}')
    if [ ${#tsan_targets[@]} -eq 0 ]; then
        echo "no tests labelled threads"
        status=1
    elif cmake --build "$tsan" -j "$(nproc)" --target "${tsan_targets[@]}"; then
        (cd "$tsan" && TSAN_OPTIONS="suppressions=$top/tests/tsan.supp:halt_on_error=1:die_after_fork=0" \
            ctest -L threads --output-on-failure --timeout 900) || status=1
    else
        status=1
    fi
else
    status=1
fi
# Every fuzz target for a short, fixed number of runs, plus the saved crash reproducers.
echo "Fuzz targets (smoke runs):"
"$top/scripts/fuzz.sh" smoke || status=1
exit $status
