#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time
# (FUZZ_SECONDS, 30 s by default) from every seed in fuzz/corpus/. Each target
# checks the library's reader against a plain reference reader, so any
# disagreement, crash, leak or hang fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${FUZZ_SECONDS:-30}"
cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-14 \
  -DQUADRIVANE_FUZZ=ON -DQUADRIVANE_GUI=OFF -DQUADRIVANE_BENCH=OFF >/dev/null
targets=()
for source in fuzz/*_fuzz.cpp; do targets+=("$(basename "$source" .cpp)"); done
cmake --build build-fuzz -j"$(nproc)" --target "${targets[@]}"
seeds=(fuzz/corpus/*/)
for target in "${targets[@]}"; do
  name="${target%_fuzz}"
  work="$(mktemp -d)"
  log="$(mktemp)"
  echo "== fuzzing $name for ${seconds}s"
  if ! "build-fuzz/fuzz/$target" -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="build-fuzz/$name-" "$work" "${seeds[@]}" >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "fuzz target $name failed"
    rm -rf "$work"
    exit 1
  fi
  grep -E '^Done|stat::number_of_executed_units' "$log"
  rm -rf "$work" "$log"
done
