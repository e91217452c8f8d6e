#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test; the suites whose code
# runs more than one thread run a second time under ThreadSanitizer, those that
# read outside input under the address and undefined-behaviour sanitizers.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh

JOBS=$(nproc)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$JOBS"

# Only those suites (and the simulator they drive) are built sanitized; the
# build's own tools are never sanitized (see lift_build_tool).
TSAN_SUITES=(link liftsim views mainwnd e2e config)
cmake -S . -B build-tsan -G Ninja -DLIFT_TSAN=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-tsan -j "$JOBS" --target "${TSAN_SUITES[@]/#/test_}" liftsim

# The suites that read outside input (bytes from the line, database files,
# workbooks) are built once more with the address and undefined-behaviour
# sanitizers.
ASAN_SUITES=(link database analysis)
cmake -S . -B build-asan -G Ninja -DLIFT_ASAN=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-asan -j "$JOBS" --target "${ASAN_SUITES[@]/#/test_}" liftsim

export QT_QPA_PLATFORM=offscreen
status=0
echo "== ${ASAN_SUITES[*]} tests under AddressSanitizer and UndefinedBehaviorSanitizer"
# The first report ends its test program, which fails the test; leaks count too.
asan_labels=$(IFS='|'; echo "${ASAN_SUITES[*]}")
ASAN_OPTIONS="halt_on_error=1 detect_leaks=1" UBSAN_OPTIONS="halt_on_error=1 print_stacktrace=1" \
  ctest --test-dir build-asan -L "^(${asan_labels})\$" -j "$JOBS" --output-on-failure || status=1
echo "== ${TSAN_SUITES[*]} tests under ThreadSanitizer"
# Qt's libraries are not instrumented: what happens inside them is not
# checked. The first report ends its test program, which fails the test.
# Address-space randomisation is turned off where allowed: with the wide
# randomisation of newer kernels this sanitizer runtime cannot map its memory.
labels=$(IFS='|'; echo "${TSAN_SUITES[*]}")
fixed=()
if setarch "$(uname -m)" -R true 2>/dev/null; then fixed=(setarch "$(uname -m)" -R); fi
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 ignore_noninstrumented_modules=1" \
  "${fixed[@]}" ctest --test-dir build-tsan -L "^(${labels})\$" -j "$JOBS" --output-on-failure || status=1
echo "== all tests"
ctest --test-dir build -j "$JOBS" --output-on-failure || status=1
exit $status
