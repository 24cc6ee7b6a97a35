#!/usr/bin/env bash
# Signs Vantrel.app inside-out, as codesign wants it: every nested library and plug-in,
# then every framework as a bundle, then the application with its entitlements (never
# --deep, which would sign nested code with the application's entitlements and options).
# IDENTITY "-" signs ad hoc, for this Mac; any other identity signs for distribution with
# the hardened runtime and a secure timestamp.
# Usage: scripts/sign-macos-app.sh APP IDENTITY ENTITLEMENTS
# (Runs under macOS's own bash 3.2: no empty arrays under set -u, no mapfile.)
set -euo pipefail
app=$1
identity=$2
entitlements=$3

sign() {
  if [[ $identity == "-" ]]; then
    codesign --force --sign - "$@"
  else
    codesign --force --options runtime --timestamp --sign "$identity" "$@"
  fi
}

find "$app/Contents" -type f -name '*.dylib' ! -path '*.framework/*' -print0 |
  while IFS= read -r -d '' library; do sign "$library"; done
find "$app/Contents" -type d -name '*.framework' -prune -print0 |
  while IFS= read -r -d '' framework; do sign "$framework"; done
# The command line beside the launcher: the same entitlements (it sends the same Apple
# events), signed before the application that contains it.
if [[ -f $app/Contents/MacOS/vantrel-cli ]]; then
  sign --identifier com.vantrel.app.cli --entitlements "$entitlements" "$app/Contents/MacOS/vantrel-cli"
fi
sign --entitlements "$entitlements" "$app"
codesign --verify --strict --verbose=2 "$app"
