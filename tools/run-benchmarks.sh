#!/usr/bin/env bash
# Measures Lisko and the launcher (a report, not a test) and writes bench/RESULTS.md:
#   tools/run-benchmarks.sh [--compare-lisko EXE]      about three minutes after the builds
# (--compare-lisko times another build of Lisko.exe, an earlier one say, in the same rounds)
# Builds the Windows programs (build/windows), the benchmarks' own Windows programs
# (build/bench-windows) and host programs (build/bench-host), then runs bench/run_benchmarks.py
# in a private Wine environment (build/bench/work) that it stops again at the end.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
jobs=$(nproc)
toolchain="$root/cmake/mingw-w64-i686.cmake"

cmake -S . -B build/windows -DCMAKE_TOOLCHAIN_FILE="$toolchain" >/dev/null
cmake --build build/windows -j "$jobs"
cmake -S bench -B build/bench-windows -DCMAKE_TOOLCHAIN_FILE="$toolchain" >/dev/null
cmake --build build/bench-windows -j "$jobs"
cmake -S bench -B build/bench-host >/dev/null
cmake --build build/bench-host -j "$jobs"

work="$root/build/bench/work"
trap 'python3 -B tests/e2e/wine_env.py stop --work "$work" >/dev/null 2>&1 || true' EXIT
python3 -B tests/e2e/wine_env.py start --work "$work"
python3 -B bench/run_benchmarks.py --windows-bin build/windows/bin --bench-bin build/bench-windows/bin \
  --host-bench build/bench-host/bin/host_lisko_bench --process-usage build/bench-host/bin/process_usage \
  --work "$work" --output bench/RESULTS.md "$@"
