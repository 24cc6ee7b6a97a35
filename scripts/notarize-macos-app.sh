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
key=(--key "$VANTREL_NOTARY_KEY_PATH" --key-id "$VANTREL_NOTARY_KEY_ID" --issuer "$VANTREL_NOTARY_ISSUER")
# notarytool exits 0 for a submission Apple rejected: the status decides, and the log says why.
result=$(xcrun notarytool submit "$dmg" "${key[@]}" --wait --output-format json)
echo "$result"
status=$(plutil -extract status raw -o - - <<<"$result")
if [[ $status != Accepted ]]; then
  xcrun notarytool log "$(plutil -extract id raw -o - - <<<"$result")" "${key[@]}" || true
  echo "notarize: Apple did not accept $dmg ($status)" >&2
  exit 1
fi
xcrun stapler staple "$dmg"
xcrun stapler validate "$dmg"
echo "notarize: $dmg is notarized and stapled"
