#!/usr/bin/env bash
# Installs what is missing, builds Quivera and starts it from the user's program folder.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
"$top/scripts/deps.sh"
"$top/scripts/build.sh"
home="${QUIVERA_HOME:-${XDG_DATA_HOME:-$HOME/.local/share}/quivera}"
mkdir -p "$home"
# The user's database is copied on first use only and never overwritten. The catalogue, the
# pictures of Content and the licence follow the build, but only when the build ships a different
# version than last time: the program and its catalogue writer change the catalogue in place, and
# those changes stay until a new catalogue arrives (the replaced file is kept as NAME.old).
# Settings and photographs are the user's.
shipped="$home/.shipped"
( cd "$top/build/dist" && find . -type f ) | while read -r f; do
  f="${f#./}"
  [ "$f" = "QIVUser.mdb" ] && [ -e "$home/$f" ] && continue
  sum="$(sha256sum "$top/build/dist/$f" | cut -d' ' -f1)"
  record="$shipped/$f.sha256"
  if [ -e "$home/$f" ] && [ -e "$record" ] && [ "$(cat "$record")" = "$sum" ]; then
    continue
  fi
  mkdir -p "$(dirname "$home/$f")" "$(dirname "$record")"
  if [ -e "$home/$f" ] && ! cmp -s "$top/build/dist/$f" "$home/$f"; then
    cp -p "$home/$f" "$home/$f.old"
  fi
  cp "$top/build/dist/$f" "$home/$f.new" && mv "$home/$f.new" "$home/$f"
  printf '%s\n' "$sum" > "$record"
done
cd "$home"
exec "$top/build/app/quivera" "$@"
