#!/usr/bin/env bash
# The Mac adapters (src/machost/*.mm, src/app/macos/*.mm) cannot be built here. This parses and type-checks
# each one as Objective-C++ against GNUstep's Foundation and AppKit headers plus
# tests/machost-syntax/ (declarations of what GNUstep lacks). A syntax check, not a build:
# it proves the files are well-formed and call the declared interfaces correctly.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-debian.sh --mac-check

objc_runtime_headers=$(dirname "$(gcc -print-file-name=include/objc/objc.h)")/..
flags=(
  -fsyntax-only -x objective-c++ -std=c++20 -fobjc-runtime=gcc -fblocks
  -Wall -Wextra -Werror -Wno-unused-parameter
  -DGNUSTEP -DGNUSTEP_BASE_LIBRARY=1 -DGNU_RUNTIME=1
  -Itests/machost-syntax -include tests/machost-syntax/AppleDeclarations.h -Isrc -Isrc/core
  -isystem /usr/include/GNUstep -isystem "$objc_runtime_headers"
  -isystem /usr/include/qcoro6 -isystem /usr/include/qcoro6/qcoro
  $(pkg-config --cflags Qt6Core Qt6Gui libplist-2.0)
)
status=0
count=0
for file in src/machost/*.mm src/app/macos/*.mm; do
  count=$((count + 1))
  if clang++ "${flags[@]}" "$file"; then
    echo "syntax ok: $file"
  else
    echo "syntax FAILED: $file" >&2
    status=1
  fi
done
echo "check-machost: $count files checked"
exit $status
