#!/usr/bin/env bash
# Renders the launcher's panel in each state the docs show, in Russian and English, into
# docs/screenshots (offscreen; the UI tests draw the states and keep a picture of each).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --build --preset default --target app_tests
VANTREL_SCREENSHOT_DIR="$PWD/docs/screenshots" QT_QPA_PLATFORM=offscreen build/default/tests/app_tests \
  --gtest_filter='PanelTest.*:SettingsWindowTest.*'
ls docs/screenshots
