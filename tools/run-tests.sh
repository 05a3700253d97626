#!/usr/bin/env bash
# Builds the Windows programs and the host's tests, then runs every test (unit and end-to-end):
#   bash tools/run-tests.sh [ctest options, e.g. -L e2e or -L unit]
# Exits non-zero when a build step or a test fails.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh

jobs=$(nproc)
cmake -S . -B build/windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake
cmake --build build/windows -j "$jobs"
cmake -S . -B build/host -DKAVELO2_WINDOWS_BIN="$PWD/build/windows/bin"
cmake --build build/host -j "$jobs"

# The end-to-end tests start Wine and Xvfb in a CTest fixture and stop them after the last one;
# this also stops them when the run is cut short, so that nothing is left running.
trap 'python3 tests/e2e/wine_env.py stop --work build/host/tests/e2e/work >/dev/null 2>&1 || true' EXIT
ctest --test-dir build/host --output-on-failure -j "$jobs" "$@"
