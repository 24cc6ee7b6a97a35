#!/usr/bin/env bash
# The whole check: install what is missing, configure, build, run every test suite.
# Usage: scripts/test.sh [preset]   (default: "default"; also "release", "asan", "tsan", "clang")
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-default}

bash scripts/setup-debian.sh
# VANTREL_WERROR=ON (as CI sets it): every compiler warning fails the build.
cmake --preset "$preset" -DVANTREL_WARNINGS_AS_ERRORS="${VANTREL_WERROR:-OFF}"
cmake --build --preset "$preset"
# The suites with windows need a display; give them a virtual one when there is none.
if [[ -z ${DISPLAY:-} ]] && command -v xvfb-run >/dev/null 2>&1; then
  xvfb-run -a -s "-screen 0 1600x1000x24" ctest --preset "$preset"
else
  ctest --preset "$preset"
fi
