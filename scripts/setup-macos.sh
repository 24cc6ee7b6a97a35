#!/usr/bin/env bash
# What the Apple build needs, on a Mac with Homebrew: the Qt 6 modules it uses (qtbase
# with macdeployqt, qtdeclarative for Qt Quick, qtsvg for the icons, qttools), libplist,
# CMake, Ninja and pkgconf from Homebrew, and QCoro (which Homebrew does not package) built
# from its release into build/deps, where the `macos` preset looks for it. Homebrew's split
# Qt formulae install into Homebrew's own prefix (/opt/homebrew), where the preset finds
# Qt. Checked against Homebrew's Qt 6.11 and libplist 2.7.0. Safe to run again.
set -euo pipefail
cd "$(dirname "$0")/.."
if [[ $(uname -s) != Darwin ]]; then
  echo "setup-macos.sh is for macOS; on Debian, scripts/setup-debian.sh installs what the simulated Mac needs" >&2
  exit 2
fi
if ! command -v brew >/dev/null 2>&1; then
  echo "setup-macos.sh needs Homebrew: https://brew.sh" >&2
  exit 2
fi
brew install qtbase qtdeclarative qtsvg qttools libplist cmake ninja pkgconf

qcoro_version=0.12.0
prefix=$PWD/build/deps
if [[ ! -f $prefix/lib/cmake/QCoro6/QCoro6Config.cmake ]]; then
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  curl -fsSL "https://github.com/qcoro/qcoro/archive/refs/tags/v${qcoro_version}.tar.gz" | tar -xz -C "$work"
  cmake -S "$work/qcoro-$qcoro_version" -B "$work/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_PREFIX_PATH="$(brew --prefix)" -DUSE_QT_VERSION=6 \
    -DBUILD_TESTING=OFF -DQCORO_BUILD_EXAMPLES=OFF -DQCORO_WITH_QTDBUS=OFF -DQCORO_WITH_QTNETWORK=OFF \
    -DQCORO_WITH_QTWEBSOCKETS=OFF -DQCORO_WITH_QML=OFF -DQCORO_WITH_QTQUICK=OFF -DQCORO_WITH_QTTEST=OFF
  cmake --build "$work/build"
  cmake --install "$work/build"
fi
echo "setup-macos: ready; build with: cmake --preset macos && cmake --build --preset macos"
