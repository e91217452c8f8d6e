#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test; the link tests run a
# second time under ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh

JOBS=$(nproc)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$JOBS"

cmake -S . -B build-tsan -G Ninja -DLIFT_TSAN=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-tsan -j "$JOBS" --target test_link liftsim

export QT_QPA_PLATFORM=offscreen
status=0
echo "== link tests under ThreadSanitizer"
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
  ctest --test-dir build-tsan -L '^link$' -j "$JOBS" --output-on-failure || status=1
echo "== all tests"
ctest --test-dir build -j "$JOBS" --output-on-failure || status=1
exit $status
