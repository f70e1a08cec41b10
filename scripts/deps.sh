#!/usr/bin/env bash
# Installs whatever Debian packages Quivera needs to build, run and test and are not there yet.
set -euo pipefail
# fonts-liberation brings the narrow sans that stands in for Arial Narrow; -2 has the rest.
# clang with its runtime libraries builds the fuzz targets (libFuzzer).
# Qt SVG renders the icon's PNG sizes at build time; dpkg-dev computes the package's library
# dependencies; the validators, man, lintian and xdotool check the installed program and package.
packages=(
  build-essential cmake pkg-config
  qt6-base-dev libsqlite3-dev libjpeg62-turbo-dev libgtest-dev libzip-dev
  fonts-liberation fonts-liberation2 sqlite3
  xvfb xauth libxcb1-dev poppler-utils libjpeg-turbo-progs
  xorriso genisoimage p7zip-full udftools libcdio-utils python3 python3-pycdlib
  libiscsi-dev libiscsi-bin tgt
  clang clang-14 libclang-rt-14-dev
  qt6-svg-dev dpkg-dev file desktop-file-utils appstream man-db lintian xdotool
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
