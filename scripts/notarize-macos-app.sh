#!/usr/bin/env bash
# Notarizes a signed disk image with Apple's notary service and staples the ticket to it,
# so that Gatekeeper opens it without a network check. Needs a Developer ID signature on
# the application inside (scripts/sign-macos-app.sh with a "Developer ID Application: …"
# identity) and an App Store Connect API key:
#   VANTREL_NOTARY_KEY_PATH  the .p8 key file   VANTREL_NOTARY_KEY_ID  its key ID
#   VANTREL_NOTARY_ISSUER    the issuer ID
# Without them it says so and does nothing (exit 0): development builds are not notarized.
# Usage: scripts/notarize-macos-app.sh DMG
# (Runs under macOS's own bash 3.2.)
set -euo pipefail
dmg=$1
if [[ -z ${VANTREL_NOTARY_KEY_PATH:-} || -z ${VANTREL_NOTARY_KEY_ID:-} || -z ${VANTREL_NOTARY_ISSUER:-} ]]; then
  echo "notarize: no App Store Connect key (VANTREL_NOTARY_KEY_PATH, _KEY_ID, _ISSUER); $dmg is not notarized"
  exit 0
fi
xcrun notarytool submit "$dmg" --key "$VANTREL_NOTARY_KEY_PATH" --key-id "$VANTREL_NOTARY_KEY_ID" \
  --issuer "$VANTREL_NOTARY_ISSUER" --wait
xcrun stapler staple "$dmg"
xcrun stapler validate "$dmg"
echo "notarize: $dmg is notarized and stapled"
