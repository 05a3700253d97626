#!/usr/bin/env bash
# Builds the host's unit tests with AddressSanitizer and UndefinedBehaviorSanitizer in build/asan
# and runs them. Any finding stops the test that made it, so the run fails.
#   tools/run-sanitizers.sh            (about a minute from scratch on two cores)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build/asan"

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DKAVELO2_SANITIZE=ON >/dev/null
cmake --build "$build" -j "$(nproc)"
# Leaks count as findings; a report names the fault and where it happened.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:strict_string_checks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
ctest --test-dir "$build" -L unit --output-on-failure -j "$(nproc)"
