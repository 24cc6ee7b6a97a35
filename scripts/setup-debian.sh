#!/usr/bin/env bash
# Installs every Debian package Vantrel needs to build, test and run on the simulated Mac.
# Safe to repeat: packages already installed are skipped, and apt is not touched at all
# when nothing is missing. Works as root and through sudo.
# Usage: scripts/setup-debian.sh [--fuzz | --mac-check | --bench | --format]
#   --fuzz adds Clang and its libFuzzer runtime; --mac-check adds Clang and GNUstep's
#   Foundation and AppKit headers for the syntax check of the Mac adapters; --bench adds
#   LLVM's tools (llvm-lipo, the benchmarks' peer tool); --format installs only
#   clang-format 14 (and git) for the formatting check.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-declarative-dev
  qml6-module-qtquick qml6-module-qtquick-controls qml6-module-qtquick-templates
  qml6-module-qtquick-layouts qml6-module-qtquick-window qml6-module-qtqml-workerscript
  qml6-module-qtquick-dialogs qml6-module-qt-labs-folderlistmodel
  qml6-module-qtqml qml6-module-qtqml-models
  qcoro-qt6-dev
  libplist-dev libplist-utils
  libqt6svg6 qt6-svg-dev
  libgtest-dev libgmock-dev
  xvfb xauth xdotool x11-utils openbox xcompmgr libxcb1-dev
)
if [[ ${1:-} == --fuzz ]]; then
  packages+=(clang libclang-rt-14-dev)
elif [[ ${1:-} == --mac-check ]]; then
  packages+=(clang libobjc-12-dev libgnustep-base-dev libgnustep-gui-dev)
elif [[ ${1:-} == --bench ]]; then
  packages+=(llvm-14)
elif [[ ${1:-} == --format ]]; then
  packages=(clang-format-14 git)
fi

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done

if [[ ${#missing[@]} -eq 0 ]]; then
  echo "setup: all ${#packages[@]} packages are installed"
  exit 0
fi

if [[ $(id -u) -eq 0 ]]; then
  as_root=()
elif command -v sudo >/dev/null 2>&1; then
  as_root=(sudo)
else
  echo "setup: missing packages (${missing[*]}) and neither root nor sudo to install them" >&2
  exit 1
fi

echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# Try with the current package lists first; refresh them only when that fails.
if ! "${as_root[@]}" apt-get install -y --no-install-recommends "${missing[@]}"; then
  "${as_root[@]}" apt-get update
  "${as_root[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi
