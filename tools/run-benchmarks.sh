#!/usr/bin/env bash
# Measures Lisko and the launcher (a report, not a test) and writes bench/RESULTS.md:
#   tools/run-benchmarks.sh [--compare-lisko EXE]      about three minutes after the builds
# (--compare-lisko times another build of Lisko.exe, an earlier one say, in the same rounds; it
# must be of the same architecture as the build measured)
# It measures the build that tests/e2e/wine_env.py chooses, as the end-to-end tests do: the
# shipped i686 programs under the 32-bit Wine where this machine runs 32-bit code, else the x86_64
# test build under the 64-bit Wine (KAVELO2_E2E_ARCH forces either); the report names it.
# Builds that build's Windows programs (build/windows or build/windows-x86_64), the benchmarks'
# own Windows programs (build/bench-windows or build/bench-windows-x86_64) and host programs
# (build/bench-host), then runs bench/run_benchmarks.py in a private Wine environment
# (build/bench/work) that it stops again at the end.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
jobs=$(nproc)

# Prints which build is measured and why; sets arch, tree and toolchain.
choice=$(python3 -B tests/e2e/wine_env.py choose)
eval "$choice"
bench_tree="build/bench-${tree#build/}"

cmake -S . -B "$tree" -DCMAKE_TOOLCHAIN_FILE="$root/$toolchain" >/dev/null
cmake --build "$tree" -j "$jobs"
cmake -S bench -B "$bench_tree" -DCMAKE_TOOLCHAIN_FILE="$root/$toolchain" >/dev/null
cmake --build "$bench_tree" -j "$jobs"
cmake -S bench -B build/bench-host >/dev/null
cmake --build build/bench-host -j "$jobs"

work="$root/build/bench/work"
trap 'python3 -B tests/e2e/wine_env.py stop --work "$work" >/dev/null 2>&1 || true' EXIT
python3 -B tests/e2e/wine_env.py start --work "$work" --programs "$arch=$tree/bin"
python3 -B bench/run_benchmarks.py --bench-bin "$bench_tree/bin" \
  --host-bench build/bench-host/bin/host_lisko_bench --process-usage build/bench-host/bin/process_usage \
  --work "$work" --output bench/RESULTS.md "$@"
