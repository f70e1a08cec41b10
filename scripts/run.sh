#!/usr/bin/env bash
# Installs what is missing, builds Quivera and starts it from the user's program folder.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
"$top/scripts/deps.sh"
"$top/scripts/build.sh"
home="${QUIVERA_HOME:-${XDG_DATA_HOME:-$HOME/.local/share}/quivera}"
mkdir -p "$home"
# Shipped files are copied on first use only: the user's database, settings and pictures stay.
( cd "$top/build/dist" && find . -type f ) | while read -r f; do
  if [ ! -e "$home/$f" ]; then
    mkdir -p "$(dirname "$home/$f")"
    cp "$top/build/dist/$f" "$home/$f"
  fi
done
cd "$home"
exec "$top/build/app/quivera" "$@"
