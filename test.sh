#!/usr/bin/env bash
# Sets up if needed, builds, and runs every test with CTest; then builds the
# core and its tests once more under AddressSanitizer and UBSan and runs them.
set -euo pipefail
cd "$(dirname "$0")"

scripts/bootstrap
jobs=$(nproc 2>/dev/null || echo 2)

if [ ! -f build/build.ninja ]; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
fi
cmake --build build -j "$jobs"
(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$jobs")

if [ "${VODE_SKIP_SANITIZERS:-0}" != 1 ]; then
  if [ ! -f build-asan/build.ninja ]; then
    cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DVODE_CORE_ONLY=ON -DVODE_SANITIZE=ON -DVODE_BENCH=OFF
  fi
  cmake --build build-asan -j "$jobs"
  (cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --output-on-failure -j "$jobs")
fi
