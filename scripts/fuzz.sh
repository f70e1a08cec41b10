#!/usr/bin/env bash
# Builds the libFuzzer targets in build-fuzz/ (clang, ASan and UBSan) and runs them.
#   scripts/fuzz.sh TARGET SECONDS   run one target (e.g. number_grammar) for SECONDS
#   scripts/fuzz.sh all SECONDS      run every target for SECONDS each, two at a time
#   scripts/fuzz.sh list             name the targets
# Each run starts from the seeds in tests/fuzz/corpus/TARGET/ plus what earlier runs on this
# machine kept in build-fuzz/corpus/TARGET/. A failing input is written to build-fuzz/artifacts/;
# once its fault is mended, copy it into the seeds so it stays found.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=build-fuzz
targets=()
for f in tests/fuzz/fuzz_*.cpp; do
  t=${f##*/fuzz_}
  targets+=("${t%.cpp}")
done

usage() {
  echo "usage: scripts/fuzz.sh TARGET|all SECONDS   (targets: ${targets[*]})" >&2
  exit 2
}
[ $# -ge 1 ] || usage
if [ "$1" = list ]; then
  printf '%s\n' "${targets[@]}"
  exit 0
fi
[ $# -eq 2 ] && [[ $2 =~ ^[0-9]+$ ]] || usage

if [ "$1" = all ]; then
  selected=("${targets[@]}")
else
  name=${1#fuzz_}
  [[ " ${targets[*]} " == *" $name "* ]] || usage
  selected=("$name")
fi
seconds=$2

CC=clang CXX=clang++ cmake -S . -B $build -DQUIVERA_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  >/dev/null
mkdir -p $build/artifacts $build/logs
if ! cmake --build $build -j2 --target "${selected[@]/#/fuzz_}" >$build/logs/build.log 2>&1; then
  cat $build/logs/build.log
  exit 1
fi

# Runs one target; its output goes to build-fuzz/logs/TARGET.log.
run_one() {
  local t=$1 log=$build/logs/$1.log
  mkdir -p $build/corpus/$t
  # The system's fontconfig keeps some memory to the end; nothing here opens a font, but Qt may.
  if ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 \
     LSAN_OPTIONS=suppressions=$root/tests/sanitizer/lsan.supp \
     UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
     QT_QPA_PLATFORM=offscreen \
     $build/tests/fuzz/fuzz_$t -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2560 \
       -malloc_limit_mb=768 -max_len=8192 -print_final_stats=1 \
       -artifact_prefix="$build/artifacts/$t-" $build/corpus/$t tests/fuzz/corpus/$t >"$log" 2>&1
  then
    local runs
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo '?')
    echo "fuzz $t: ok, $runs runs in ${seconds} s"
  else
    echo "fuzz $t: FAILED (log $log)"
    grep -E 'PROPERTY BROKEN|ERROR: |SUMMARY: |Test unit written|runtime error' "$log" | head -20
    return 1
  fi
}

if [ ${#selected[@]} -eq 1 ]; then
  run_one "${selected[0]}"
  exit
fi

# Two at a time: the build machines have two cores.
failed=0
i=0
while [ $i -lt ${#selected[@]} ]; do
  pids=()
  for t in "${selected[@]:$i:2}"; do
    run_one "$t" &
    pids+=($!)
  done
  for p in "${pids[@]}"; do
    wait "$p" || failed=1
  done
  i=$((i + 2))
done
exit $failed
