#!/usr/bin/env bash
# Builds the Debian package of Quorvel into this folder (quorvel_<version>_<arch>.deb).
# Install it with:  sudo apt install ./quorvel_*.deb
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh package

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# Packaging builds only the program and its data, not the tests.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON \
      "${launcher[@]}" >/dev/null
cmake --build build -j "$(nproc)" --target quorvel
rm -rf build/package
(cd build && cpack -G DEB -B "$PWD/package" >/dev/null)
rm -f quorvel_*.deb
mv build/package/quorvel_*.deb .
ls quorvel_*.deb
