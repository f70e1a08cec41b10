#!/usr/bin/env bash
# Installs what is missing, builds Quivera and runs every test: the suite, the suite's window-free
# tests again under AddressSanitizer and UndefinedBehaviorSanitizer, and every fuzz target for a
# short while. FUZZ_SECONDS (default 20) sets how long each fuzz target runs.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh
ctest --test-dir build --output-on-failure -j"$(nproc)"
scripts/sanitize.sh
scripts/fuzz.sh all "${FUZZ_SECONDS:-20}"
