#!/usr/bin/env bash
# Installs what is missing, builds Quivera and starts it. The program sets up its program folder
# itself ($QUIVERA_HOME, else ${XDG_DATA_HOME:-~/.local/share}/quivera) from the files the build
# ships in build/dist.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
"$top/scripts/deps.sh"
"$top/scripts/build.sh"
exec "$top/build/app/quivera" "$@"
