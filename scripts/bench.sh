#!/usr/bin/env bash
# The benchmarks, on an optimized build: the micro figures (Google Benchmark) and the
# launcher's start-up against a bare Qt Quick window. Ratios matter, not absolute times:
# the machines are noisy.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-debian.sh
cmake --preset release >/dev/null
cmake --build --preset release
build/release/bench/vantrel_bench
build/release/bench/startup_bench build/release/src/app/vantrel build/release/src/tools/vantrel-sim \
  build/release/bench/bare_window "${STARTUP_RUNS:-9}"
