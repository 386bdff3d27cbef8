#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan+UBSan) and runs each one.
# Usage: scripts/fuzz.sh [smoke|long] [target...]
#   smoke: a short fixed number of runs per target plus every saved crash reproducer (the test
#          command uses it; repeatable, a few seconds per target).
#   long:  a campaign of VORN_FUZZ_SECONDS (default 600) per target, corpus kept in build-fuzz/.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
mode=${1:-smoke}; shift || true
build=${VORN_FUZZ_BUILD:-$top/build-fuzz}
mkdir -p "$build"
CC=clang CXX=clang++ "$top/scripts/build.sh" "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVORN_FUZZ=ON -DVORN_GUI=OFF -DVORN_TESTS=OFF -DVORN_BENCH=OFF >"$build/build.log" 2>&1 ||
  { tail -n 40 "$build/build.log"; exit 1; }
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  mapfile -t targets < <(cd "$build/bin" && ls fuzz_* 2>/dev/null)
fi
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
failed=0
for t in "${targets[@]}"; do
  exe="$build/bin/$t"
  corpus="$build/corpus/$t"; mkdir -p "$corpus"
  seeds="$top/fuzz/corpus/$t"
  [ -d "$seeds" ] || seeds=
  # Seeds made from real images by the seed scripts (fuzz/<dir>/make-seeds.sh TARGET OUTDIR).
  for maker in "$top"/fuzz/*/make-seeds.sh; do
    [ -x "$maker" ] && "$maker" "$t" "$build/seeds/$t" >/dev/null 2>&1 || true
  done
  extra_seeds=; [ -d "$build/seeds/$t" ] && extra_seeds="$build/seeds/$t"
  regress="$top/fuzz/regressions/$t"
  if [ -d "$regress" ] && [ -n "$(ls -A "$regress")" ]; then
    "$exe" -runs=0 "$regress"/* >/dev/null 2>&1 || { echo "FAIL $t: a saved reproducer crashes"; failed=1; continue; }
  fi
  if [ "$mode" = long ]; then
    "$exe" -max_total_time="${VORN_FUZZ_SECONDS:-600}" -print_final_stats=1 "$corpus" $seeds $extra_seeds \
      -artifact_prefix="$build/crash-$t-" 2>&1 | tail -n 12
  else
    if "$exe" -runs="${VORN_FUZZ_RUNS:-5000}" -seed=1 -print_final_stats=1 -max_len=65536 "$corpus" $seeds $extra_seeds \
         -artifact_prefix="$build/crash-$t-" >"$build/$t.log" 2>&1; then
      echo "ok   $t ($(grep -o 'stat::number_of_executed_units: [0-9]*' "$build/$t.log" | awk '{print $2}') runs)"
    else
      echo "FAIL $t"; tail -n 40 "$build/$t.log"; failed=1
    fi
  fi
done
exit $failed
