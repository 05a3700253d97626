#!/usr/bin/env bash
# Builds the Windows programs and the host's tests, then runs every test (unit and end-to-end):
#   bash tools/run-tests.sh [ctest options, e.g. -L e2e or -L unit]
# Exits non-zero when a build step or a test fails.
#
# The i686 programs (build/windows) are built everywhere: they ship, and the release tests check
# them. The end-to-end tests run the build that tests/e2e/wine_env.py chooses: those same i686
# programs where this machine runs 32-bit code, else the x86_64 test build (build/windows-x86_64),
# which is built only then. KAVELO2_E2E_ARCH=i686 or x86_64 forces the choice.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh

# Prints which build the end-to-end tests run and why; sets arch, tree and toolchain.
choice=$(python3 -B tests/e2e/wine_env.py choose)
eval "$choice"

jobs=$(nproc)
cmake -S . -B build/windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake
cmake --build build/windows -j "$jobs"
x86_64_bin=""
if [ "$arch" = x86_64 ]; then
  cmake -S . -B "$tree" -DCMAKE_TOOLCHAIN_FILE="$toolchain"
  cmake --build "$tree" -j "$jobs"
  x86_64_bin=$PWD/$tree/bin
fi
# The host tree holds the unit tests and the host build of kavelo2-config, which ship nowhere: built
# at -O1 they compile in two thirds of the time of -O3 (the test files' templates weigh), and the
# sanitized build (run-sanitizers.sh) and the shipped Windows builds keep their own levels.
cmake -S . -B build/host -DKAVELO2_WINDOWS_BIN="$PWD/build/windows/bin" \
      -DKAVELO2_WINDOWS_X86_64_BIN="$x86_64_bin" \
      -DCMAKE_C_FLAGS_RELEASE="-O1 -DNDEBUG" -DCMAKE_CXX_FLAGS_RELEASE="-O1 -DNDEBUG"
cmake --build build/host -j "$jobs"

# The end-to-end tests start Wine and Xvfb in a CTest fixture and stop them after the last one;
# this also stops them when the run is cut short, so that nothing is left running.
trap 'python3 tests/e2e/wine_env.py stop --work build/host/tests/e2e/work >/dev/null 2>&1 || true' EXIT
# The end-to-end tests drive real windows under Wine, which on a machine short of processor time
# has been seen to lose a step that it takes at once on an idle one. An end-to-end test that fails
# runs once more, alone, after the others: its first failure stays in the output above, and a
# second one, or the failure of any other test, fails the run.
if ctest --test-dir build/host --output-on-failure -j "$jobs" "$@"; then exit 0; fi
failed=build/host/Testing/Temporary/LastTestsFailed.log
if [ ! -s "$failed" ] || grep -qv ':e2e_' "$failed"; then exit 1; fi
echo "run-tests: an end-to-end test failed; it runs once more, alone"
ctest --test-dir build/host --output-on-failure --rerun-failed
