#!/usr/bin/env bash
# Builds the tests that open no window with AddressSanitizer and UndefinedBehaviorSanitizer in
# build-asan/ and runs them. Any report fails the run; the one leak accepted (inside the system's
# fontconfig) is listed in tests/sanitizer/lsan.supp.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
tests=(burner_engine_tests burner_reader_tests test_store test_inventories_windowless
       test_inventory_windowless test_tabs_windowless test_ui test_data
       test_kill test_program_folder test_exchange test_pictures_windowless)
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1
export LSAN_OPTIONS=suppressions=$root/tests/sanitizer/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUIVERA_SANITIZE=ON >/dev/null
# The build runs tools of its own (the shipped databases are made at build time), sanitized too.
cmake --build build-asan -j"$(nproc)" --target "${tests[@]}"
regex="^($(IFS='|'; echo "${tests[*]}"))\$"
ctest --test-dir build-asan --output-on-failure -j"$(nproc)" -R "$regex"
