#!/usr/bin/env bash
# Installs what is missing, builds Quorvel and starts it.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh run

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
cmake --build build --target quorvel

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found: starting a virtual one (Xvfb :77)."
    Xvfb :77 -screen 0 1400x950x24 >/dev/null 2>&1 &
    export DISPLAY=:77
    sleep 1
fi
exec build/app/quorvel
