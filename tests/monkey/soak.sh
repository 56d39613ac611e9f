#!/usr/bin/env bash
# Runs the monkey for MINUTES minutes (default 60) in the whole-program
# sanitizer build (build-asan, made or brought up to date here). Extra
# arguments go to the monkey (--seed N repeats a run). The seed is printed at
# the start; the step counts per command, the dialogs reached and the memory
# figures at the end, and in build-asan/monkey-report.txt.
set -euo pipefail
minutes=${1:-60}
shift || true
cd "$(dirname "$0")/../.."
build=${QV_ASAN_BUILD:-build-asan}
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQV_SANITIZE=ON -DQV_WITH_WIDGETS=ON \
      -DQV_BENCH=OFF "${launcher[@]}" >/dev/null
cmake --build "$build" -j "$(nproc)" --target quorvel_monkey
export QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1 QT_QUICK_BACKEND=software
export QTWEBENGINE_CHROMIUM_FLAGS="--no-sandbox --disable-gpu"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0:new_delete_type_mismatch=0} UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
exec "$build/tests/monkey/quorvel_monkey" --minutes "$minutes" --report "$build/monkey-report.txt" "$@"
