#!/usr/bin/env bash
# Installs what is missing, builds Quorvel and runs every test headless: the
# whole program with AddressSanitizer and UndefinedBehaviorSanitizer (with the
# monkey), then the whole program as it is delivered. With --with-package (CI)
# it also builds the Debian package, installs it on this machine and checks the
# installed program as an ordinary user (needs root; creates the user qvcheck).
set -euo pipefail
with_package=false
[ "${1:-}" = --with-package ] && with_package=true
cd "$(dirname "$0")"
scripts/install-deps.sh test

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# Paths inside the checkout are hashed relative to it, so a clone in another
# folder reuses what an earlier build compiled.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=true
jobs=$(nproc)

export QT_QPA_PLATFORM=offscreen
# Root (as in CI) can run every test: mount the small disks, give files away.
# There a test that skips a case fails, so no test stops running unnoticed.
if [ "$(id -u)" -eq 0 ]; then export QV_TESTS_MUST_RUN=ON; else export QV_TESTS_MUST_RUN=OFF; fi

echo "== Sanitizer build of the whole program"
# Every library, the program, the tests and the monkey (3,000 random steps,
# its seed printed) with AddressSanitizer and UndefinedBehaviorSanitizer; the
# browser engine's own processes run as they are. The engine's in-process part
# (not built here) deletes some objects through a base of another size, which
# the address sanitizer is told not to report.
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQV_WITH_WIDGETS=ON -DQV_SANITIZE=ON \
      -DQV_BENCH=OFF "${launcher[@]}" >/dev/null
cmake --build build-asan -j "$jobs"
# The monkey's seed is chosen here so that the log shows it; a failure is
# replayed with QV_MONKEY_SEED set to it.
export QV_MONKEY_SEED="${QV_MONKEY_SEED:-$(date +%s)}"
echo "Monkey seed: $QV_MONKEY_SEED"
ASAN_OPTIONS=detect_leaks=0:new_delete_type_mismatch=0 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-asan -j "$jobs" --output-on-failure

echo "== Full build"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build -j "$jobs" --output-on-failure

if $with_package; then
    echo "== Debian package: build, install, use as an ordinary user"
    ./package.sh
    scripts/check-package.sh
fi
