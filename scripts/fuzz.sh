#!/usr/bin/env bash
# Builds the libFuzzer targets (preset "fuzz": Clang, AddressSanitizer, UBSan) and runs
# them, each for SECONDS (default 60), one after another.
# Usage: [FUZZ_FLAGS="-max_len=2048 …"] scripts/fuzz.sh [TARGET|all] [SECONDS]
#   TARGET: MachOHeaderFuzz PropertyListFuzz InstallationListFuzz L10nFormatFuzz
#           HostPathFuzz InfoScriptFuzz
# Each run starts from the target's seeds in tests/fuzz/corpus/<TARGET> and keeps what it
# learns in build/fuzz/corpus/<TARGET> (never committed). A crashing input is written to
# build/fuzz/crashes/<TARGET>/; copy it into the seed folder with the fix, so that every
# test run replays it.
set -euo pipefail
cd "$(dirname "$0")/.."
target=${1:-all}
seconds=${2:-60}

bash scripts/setup-debian.sh --fuzz
cmake --preset fuzz
cmake --build --preset fuzz

targets=(MachOHeaderFuzz PropertyListFuzz InstallationListFuzz L10nFormatFuzz HostPathFuzz InfoScriptFuzz)
if [[ $target != all ]]; then
  targets=("$target")
fi

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
status=0
summary=()
for name in "${targets[@]}"; do
  program=build/fuzz/tests/fuzz/fuzz_$name
  corpus=build/fuzz/corpus/$name
  crashes=build/fuzz/crashes/$name
  mkdir -p "$corpus" "$crashes"
  log=build/fuzz/$name.log
  echo "fuzz: $name for ${seconds}s"
  # shellcheck disable=SC2086 # FUZZ_FLAGS holds several options
  if "$program" -max_total_time="$seconds" -print_final_stats=1 -timeout=10 -rss_limit_mb=2048 ${FUZZ_FLAGS:-} \
       -artifact_prefix="$crashes/" "$corpus" "tests/fuzz/corpus/$name" >"$log" 2>&1; then
    result=ok
  else
    result="FAILED (see $log)"
    status=1
  fi
  # libFuzzer's last line: "Done <runs> runs in <seconds> second(s)".
  read -r runs wall < <(sed -n 's/^Done \([0-9]*\) runs in \([0-9]*\) second.*/\1 \2/p' "$log" | tail -1) || true
  crashed=$(find "$crashes" -type f | wc -l)
  summary+=("$(printf '%-22s %12s execs in %5s s, %s artifacts  %s' "$name" "${runs:-?}" "${wall:-?}" "$crashed" "$result")")
done
printf '%s\n' "${summary[@]}"
exit $status
