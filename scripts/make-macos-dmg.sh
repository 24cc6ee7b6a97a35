#!/usr/bin/env bash
# Packs a signed Vantrel.app into a compressed disk image with a link to /Applications,
# and signs the image with the same identity when it is a real one (an ad-hoc image
# signature would mean nothing to another Mac; the application inside stays signed).
# Usage: scripts/make-macos-dmg.sh APP IDENTITY DMG
# (Runs under macOS's own bash 3.2.)
set -euo pipefail
app=$1
identity=$2
dmg=$3
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cp -R "$app" "$stage/"
ln -s /Applications "$stage/Applications"
rm -f "$dmg"
hdiutil create -volname Vantrel -srcfolder "$stage" -fs HFS+ -format UDZO -ov "$dmg"
if [[ $identity != "-" ]]; then
  codesign --force --timestamp --sign "$identity" "$dmg"
  codesign --verify --verbose=2 "$dmg"
else
  echo "make-macos-dmg: $dmg holds an ad-hoc signed application (no identity to sign the image)"
fi
