#!/usr/bin/env bash
# The Mac adapters (src/machost/*.mm, src/app/macos/*.mm), the real-Mac checks
# (tests/macintegration/*.mm) and the Mac branches of the programs' main files cannot be
# built here. This parses and type-checks the first three as Objective-C++ against
# GNUstep's Foundation and AppKit headers plus tests/machost-syntax/ (declarations of what
# GNUstep lacks), the main files' Mac branches as C++, and the core's calls into libplist
# against both the 2.2 and the 2.7.0 interface. A syntax check, not a build:
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
  $(pkg-config --cflags Qt6Core Qt6Gui Qt6Quick libplist-2.0)
)
status=0
count=0
for file in src/machost/*.mm src/app/macos/*.mm tests/macintegration/*.mm; do
  count=$((count + 1))
  if clang++ "${flags[@]}" "$file"; then
    echo "syntax ok: $file"
  else
    echo "syntax FAILED: $file" >&2
    status=1
  fi
done
# The static analyzer, with the Cocoa checkers a Darwin target turns on (retain counts:
# most objects allocated and never released are reported; NSWindow is not tracked).
analyze_flags=()
for flag in "${flags[@]}"; do
  [[ $flag == -fsyntax-only ]] || analyze_flags+=("$flag")
done
for file in src/machost/*.mm src/app/macos/*.mm tests/macintegration/*.mm; do
  findings=$(clang++ --analyze -Xclang -analyzer-checker=osx "${analyze_flags[@]}" "$file" -o /dev/null 2>&1 |
    grep -E 'warning:|error:' || true)
  if [[ -n $findings ]]; then
    echo "analyzer FAILED: $file" >&2
    echo "$findings" >&2
    status=1
  else
    echo "analyzer ok: $file"
  fi
done
# The Mac branches of the two programs' main files, which are C++: type-checked with Qt's
# headers read as this system's and only our code on the Mac's side (MacBranches.h).
for file in src/app/main.cpp src/cli/vantrel-cli.cpp; do
  count=$((count + 1))
  if clang++ -fsyntax-only -std=c++20 -Wall -Wextra -Werror -DQT_NO_KEYWORDS -DQT_USE_QSTRINGBUILDER \
    -DQCORO_NO_WARN_DEPRECATED_TASK_H -DVANTREL_VERSION='"check"' -include tests/machost-syntax/MacBranches.h \
    -Itests/machost-syntax -Isrc -Isrc/core -isystem /usr/include/qcoro6 -isystem /usr/include/qcoro6/qcoro \
    $(pkg-config --cflags Qt6Core Qt6Gui Qt6Qml Qt6Quick) "$file"; then
    echo "syntax ok (Mac branches): $file"
  else
    echo "syntax FAILED (Mac branches): $file" >&2
    status=1
  fi
done
# The core against both libplist interfaces a user's build finds: Debian's 2.2 (the
# system's header) and Homebrew's 2.7.0 (tests/machost-syntax/libplist-2.7, declared from
# that version's documentation, deprecations included, so that a deprecated call fails).
for version in "20200 system" "20700 tests/machost-syntax/libplist-2.7"; do
  number=${version%% *}
  headers=${version#* }
  include=()
  [[ $headers == system ]] || include=(-I"$headers")
  for file in $(grep -l '<plist/plist.h>' src/core/*/*.cpp); do
    count=$((count + 1))
    if clang++ -fsyntax-only -std=c++20 -Wall -Wextra -Werror -DQT_NO_KEYWORDS -DQT_USE_QSTRINGBUILDER \
      -DVANTREL_LIBPLIST_VERSION="$number" "${include[@]}" -Isrc/core -isystem /usr/include/qcoro6 \
      -isystem /usr/include/qcoro6/qcoro $(pkg-config --cflags Qt6Core) "$file"; then
      echo "syntax ok (libplist $number): $file"
    else
      echo "syntax FAILED (libplist $number): $file" >&2
      status=1
    fi
  done
done
echo "check-machost: $count files checked"
exit $status
