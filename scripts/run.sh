#!/usr/bin/env bash
# Installs what is missing, builds Quivera and starts it from the user's program folder.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
"$top/scripts/deps.sh"
"$top/scripts/build.sh"
home="${QUIVERA_HOME:-${XDG_DATA_HOME:-$HOME/.local/share}/quivera}"
mkdir -p "$home"
# The user's database is copied on first use only and never overwritten; the catalogue, the
# pictures of Content and the licence follow the build. Settings and photographs are the user's.
( cd "$top/build/dist" && find . -type f ) | while read -r f; do
  f="${f#./}"
  if [ ! -e "$home/$f" ] || { [ "$f" != "QIVUser.mdb" ] && ! cmp -s "$top/build/dist/$f" "$home/$f"; }; then
    mkdir -p "$(dirname "$home/$f")"
    cp "$top/build/dist/$f" "$home/$f.new" && mv "$home/$f.new" "$home/$f"
  fi
done
cd "$home"
exec "$top/build/app/quivera" "$@"
