#!/usr/bin/env bash
# What this user's real per-user folders hold: the launcher's /tmp/vantrel-<uid>, Qt's
# /tmp/runtime-<user> (made when there is no $XDG_RUNTIME_DIR) and the launcher's files in
# $XDG_RUNTIME_DIR, each entry with its mode, owner, size and times. Tests must leave them
# exactly as they found them (they run with a private folder of their own).
# Usage: scripts/instance-folder-state.sh record FILE   — writes the state to FILE
#        scripts/instance-folder-state.sh compare FILE  — fails, showing what changed
set -euo pipefail
state() {
  local folder
  for folder in "/tmp/vantrel-$(id -u)" "/tmp/runtime-$(id -un)"; do
    if [[ -e $folder || -L $folder ]]; then
      find "$folder" -maxdepth 1 -printf '%p %y %m %U %s %T@ %C@\n' 2>&1 | sort
    else
      echo "$folder absent"
    fi
  done
  if [[ -n ${XDG_RUNTIME_DIR:-} && -d $XDG_RUNTIME_DIR ]]; then
    find "$XDG_RUNTIME_DIR" -maxdepth 1 -name 'vantrel-*' -printf '%p %y %m %U %s %T@ %C@\n' 2>&1 | sort
  fi
}
case ${1:-} in
record) state >"$2" ;;
compare)
  if ! diff -u "$2" <(state); then
    echo "instance-folder-state: the run changed this user's single-instance folder (above)" >&2
    exit 1
  fi
  echo "instance-folder-state: this user's single-instance folder is as it was"
  ;;
*)
  echo "usage: $0 record|compare FILE" >&2
  exit 2
  ;;
esac
