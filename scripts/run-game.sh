#!/usr/bin/env bash
# Installs what is missing, builds, and starts the game from the folder that
# holds the generated dat/ (Log.txt and txt.txt are written there).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh" "$root/build"
cd "$root/build"
exec ./vortalis
