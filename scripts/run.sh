#!/usr/bin/env bash
# Runs the launcher: installs what is missing, builds, creates the demo simulated Mac on
# first use, and starts Vantrel on it. Without a display it draws the panel under Xvfb,
# saves a picture of it and says where.
# Usage: scripts/run.sh [vantrel arguments…]   (e.g. a project: scripts/run.sh ~/Music/Song.logicx)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-debian.sh
cmake --preset default >/dev/null
cmake --build --preset default --target vantrel vantrel-sim vantrel-cli

root=${VANTREL_SIMULATED_MAC:-$HOME/.local/share/vantrel/simulated-mac}
sim=build/default/src/tools/vantrel-sim
app=build/default/src/app/vantrel
if [[ ! -f $root/.simhost/user ]]; then
  "$sim" --root "$root" init --demo
fi

if [[ -n ${DISPLAY:-} || -n ${WAYLAND_DISPLAY:-} ]]; then
  exec "$app" --root "$root" "$@"
fi
picture=${VANTREL_PICTURE:-$PWD/build/vantrel-panel.png}
xvfb-run -a -s "-screen 0 1280x800x24" "$app" --root "$root" --screenshot "$picture" "$@"
echo "No display here, so the launcher drew its panel on a virtual one: $picture"
