#!/usr/bin/env bash
# The benchmarks, on an optimized build: one table, each figure beside a reference measured
# in the same run on the same data (the floor of a scan, llvm-lipo, a plain write, the
# open command, a bare window) and their ratio. Ratios matter, not absolute times: the
# machines are noisy.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-debian.sh --bench
cmake --preset release >/dev/null
cmake --build --preset release
build/release/bench/vantrel_perf build/release/src/tools/vantrel-sim build/release/src/app/vantrel \
  "$(command -v llvm-lipo-14 || true)"
