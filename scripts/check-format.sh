#!/usr/bin/env bash
# Every C++ and Objective-C++ file of the repository as .clang-format lays it out (Debian's
# clang-format 14, the version CI has). Fix what it reports with:
#   git ls-files '*.cpp' '*.h' '*.mm' | xargs clang-format-14 -i
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-debian.sh --format
git ls-files -z '*.cpp' '*.h' '*.mm' | xargs -0 clang-format-14 --dry-run -Werror
echo "format: every file is formatted"
