#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer) in
# build/fuzz and runs each for the given number of seconds (default 60).
#   tools/run-fuzz.sh 5            CI: each target's corpus replayed, then a few seconds of fuzzing
#   tools/run-fuzz.sh              a minute per target, after a change to what a target reaches
#   tools/run-fuzz.sh 3600         an hour per target, before a release or after a parser change
#   tools/run-fuzz.sh 600 mode_selection    one target only
# Each target starts from its seeds in fuzz/corpus/<target>/ and keeps what it learns in
# build/fuzz/corpus/<target>/, so a later run goes on from there. A finding stops the run and
# leaves the input in build/fuzz/findings/<target>/; replay it with
#   build/fuzz/bin/fuzz_<target> build/fuzz/findings/<target>/crash-...
# and turn it into a unit test.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build/fuzz"
seconds="${1:-60}"
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(config_reader mode_selection lisko_text model_check)

cmake -S "$root/fuzz" -B "$build" -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
cmake --build "$build" -j "$(nproc)"

declare -A max_len=([config_reader]=1100 [mode_selection]=1024 [lisko_text]=2048 [model_check]=2200)
# The model's target: its dictionary, and no single allocation above 64 MB for any file.
declare -A options=([model_check]="-dict=$root/fuzz/model_check.dict -malloc_limit_mb=64")
status=0
for target in "${targets[@]}"; do
  corpus="$build/corpus/$target"
  findings="$build/findings/$target"
  # The Lisko target writes its list to ../fsxml/ of its current directory: a folder of its own.
  workdir="$build/run/$target"
  mkdir -p "$corpus" "$findings" "$workdir"
  echo "== fuzz_$target for ${seconds}s"
  if ! (cd "$workdir" && "$build/bin/fuzz_$target" "$corpus" "$root/fuzz/corpus/$target" \
          -max_total_time="$seconds" -max_len="${max_len[$target]}" -timeout=10 \
          -rss_limit_mb=2048 -artifact_prefix="$findings/" -print_final_stats=1 ${options[$target]:-} \
          >"$build/$target.log" 2>&1); then
    echo "fuzz_$target: FINDING (log: $build/$target.log)"
    tail -40 "$build/$target.log"
    status=1
  else
    grep -E "^stat::number_of_executed_units|^#[0-9]+.*DONE" "$build/$target.log" | tail -2
  fi
done
exit $status
