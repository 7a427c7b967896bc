#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, ASan and UBSan) and runs each
# one for a bounded time, two at a time, starting from its seeds and its kept
# regressions. Fails when any target finds a crash, a hang, a leak or a broken
# property; what it found is left in build/fuzz/findings/<target>/, to be
# mended and then kept in fuzz/regressions/<target>/.
#
# A hang is an input that runs past the timeout, which ends the run with an
# error. An input that was merely slow once (libFuzzer's slow-unit files) is
# listed but does not fail the leg: on a loaded machine a whole process can
# stall for seconds, and the same input then runs in microseconds.
#
# FUZZ_SECONDS (default 60) is the time per target; FUZZ_TARGETS (default:
# every target the preset builds) narrows the run.
set -uo pipefail
cd "$(dirname "$0")/../.."

# clang is Debian 12's clang 14 under the names the preset uses.
source scripts/lib/packages.sh
ensure_packages clang libclang-rt-14-dev || exit 1
scripts/setup.sh fuzz || exit 1

seconds="${FUZZ_SECONDS:-60}"
bin=build/fuzz/fuzz
if [ -n "${FUZZ_TARGETS:-}" ]; then
  read -r -a targets <<<"$FUZZ_TARGETS"
else
  targets=()
  for f in fuzz/fuzz_*.cpp; do
    t="$(basename "$f" .cpp)"
    [ -x "$bin/$t" ] && targets+=("$t")
  done
fi

export ASAN_OPTIONS="${ASAN_OPTIONS:-abort_on_error=1:detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1}"
export QT_QPA_PLATFORM=offscreen

# One target: its working corpus grows in build/, the repository's seeds and
# regressions are only read.
run_one() {
  local t="$1"
  local work="build/fuzz/work/$t" findings="build/fuzz/findings/$t"
  mkdir -p "$work" "$findings"
  local args=(-max_total_time="$seconds" -timeout=25 -report_slow_units=25 -rss_limit_mb=2048
              -print_final_stats=1 -artifact_prefix="$findings/")
  [ -f "fuzz/dict/$t.dict" ] && args+=(-dict="fuzz/dict/$t.dict")
  local corpora=("$work" "fuzz/corpus/$t")
  [ -d "fuzz/regressions/$t" ] && corpora+=("fuzz/regressions/$t")
  "$bin/$t" "${args[@]}" "${corpora[@]}" >"build/fuzz/$t.log" 2>&1
  local rc=$?
  local found
  found=$(find "$findings" -type f ! -name 'slow-unit-*' | wc -l)
  local slow
  slow=$(find "$findings" -type f -name 'slow-unit-*' | wc -l)
  local last
  last=$(grep -E '^#[0-9]+[[:space:]]+(DONE|pulse|NEW|REDUCE|INITED)' "build/fuzz/$t.log" | tail -1 |
         sed -E 's/.*(cov: [0-9]+ ft: [0-9]+).*/\1/')
  local runs
  runs=$(grep -E '^stat::number_of_executed_units' "build/fuzz/$t.log" | awk '{print $2}')
  if [ "$rc" -ne 0 ] || [ "$found" -gt 0 ]; then
    echo "FAILED $t (exit $rc, $found findings in $findings): $last"
    grep -E 'ERROR|SUMMARY|property broken' "build/fuzz/$t.log" | head -5
    return 1
  fi
  printf 'ok     %-20s %-22s %s runs\n' "$t" "$last" "${runs:-?}"
  if [ "$slow" -gt 0 ]; then
    echo "       $slow input(s) slow once, kept in $findings; slowest unit:" \
         "$(grep -E '^stat::slowest_unit_time_sec' "build/fuzz/$t.log" | awk '{print $2}') s"
  fi
}

failed=0
pending=()
for t in "${targets[@]}"; do
  run_one "$t" > "build/fuzz/$t.result" &
  pending+=($!)
  if [ ${#pending[@]} -ge 2 ]; then
    wait "${pending[0]}" || failed=1
    pending=("${pending[@]:1}")
  fi
done
for p in "${pending[@]}"; do wait "$p" || failed=1; done

echo "=== fuzz targets, $seconds s each"
for t in "${targets[@]}"; do cat "build/fuzz/$t.result"; done
exit $failed
