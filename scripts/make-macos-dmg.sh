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
# hdiutil fails now and then with "Resource busy" on a busy machine: tried a few times.
for attempt in 1 2 3 4 5; do
  if hdiutil create -volname Vantrel -srcfolder "$stage" -fs HFS+ -format UDZO -ov "$dmg"; then
    break
  fi
  if [[ $attempt == 5 ]]; then
    echo "make-macos-dmg: hdiutil failed five times" >&2
    exit 1
  fi
  sleep 5
done
if [[ $identity != "-" ]]; then
  codesign --force --timestamp --sign "$identity" "$dmg"
  codesign --verify --verbose=2 "$dmg"
else
  echo "make-macos-dmg: $dmg holds an ad-hoc signed application (no identity to sign the image)"
fi
