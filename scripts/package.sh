#!/usr/bin/env bash
# Builds Quivera and makes its Debian package in build/packages/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh
(cd build && cpack -G DEB -B packages)
ls build/packages/*.deb
