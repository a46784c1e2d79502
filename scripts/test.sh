#!/usr/bin/env bash
# Installs what is missing, builds everything, and runs the whole test suite:
# the Release build and its Debian package (checked by lintian), the same
# suite under AddressSanitizer, LeakSanitizer and UndefinedBehaviorSanitizer,
# the fuzz targets, and the robustness run of the real desktop program.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
export QT_QPA_PLATFORM=offscreen
jobs="$(nproc)"

echo "== Release build"
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DQUADRIVANE_WERROR=ON >/dev/null
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

if command -v lintian >/dev/null; then
  echo "== Debian package check"
  rm -f build/quadrivane_*.deb
  (cd build && cpack -G DEB >/dev/null)
  lintian --fail-on error build/quadrivane_*.deb
fi

echo "== Sanitizer build"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DQUADRIVANE_WERROR=ON \
  -DQUADRIVANE_SANITIZE=ON -DQUADRIVANE_BENCH=OFF -DCMAKE_CXX_FLAGS=-O1 >/dev/null
cmake --build build-asan -j"$jobs"
ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:detect_container_overflow=0" \
UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0" \
  ctest --test-dir build-asan --output-on-failure -j"$jobs" --timeout 900

echo "== Fuzzing"
scripts/fuzz.sh

if [ -x scripts/robustness.sh ] && command -v Xvfb >/dev/null && command -v xdotool >/dev/null; then
  echo "== Robustness run"
  scripts/robustness.sh build/ui/quadrivane
fi
echo "== All test stages passed"
