#!/usr/bin/env bash
# Installs the Debian 12 packages Quorvel needs, only those that are missing.
# Usage: scripts/install-deps.sh [run|test|package|check-package]
set -euo pipefail

packages=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-declarative-dev qt6-webengine-dev libgl-dev
          libqt6opengl6-dev fonts-noto-cjk libbenchmark-dev qt6-translations-l10n)
# The page check reads pages with libtidy; publishing sends them with libcurl
# (OpenSSL shows a certificate the authorities do not vouch for) and keeps its
# passwords in the desktop's keyring.
packages+=(libtidy-dev libcurl4-openssl-dev libssl-dev qtkeychain-qt6-dev)
if [ "${1:-}" = run ]; then
    packages+=(xvfb)
fi
if [ "${1:-}" = test ]; then
    packages+=(xvfb xauth appstream desktop-file-utils)
    # Publishing is tested against real servers: OpenSSH's sshd for SFTP,
    # pyftpdlib for FTP and FTPS (with a certificate made by openssl).
    packages+=(openssh-server python3-pyftpdlib python3-openssl openssl)
fi
if [ "${1:-}" = package ] || [ "${1:-}" = check-package ]; then
    # CPack finds the library packages with dpkg-shlibdeps and file.
    packages+=(dpkg-dev file)
fi
if [ "${1:-}" = check-package ]; then
    # The installed program is driven under Xvfb by xdotool.
    packages+=(xvfb xauth xdotool)
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
