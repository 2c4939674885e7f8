#!/bin/bash
# Installs what building, running and testing Tidemark needs on Debian.
# Idempotent: when everything is present it only checks and returns.
# Wine draws the captions' buttons with its own fonts (fonts-wine, only
# recommended by wine64). Wine's SChannel does its TLS with GnuTLS
# (libgnutls30); the TLS test servers make their certificates with openssl.
# nsis builds the installer; x11vnc, novnc and websockify show the run
# script's desktop in a browser. The Windows build links with lld.
set -euo pipefail

packages=(
    cmake make g++ googletest
    mingw-w64 g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 lld
    wine64 fonts-wine xvfb xauth x11-utils xdotool xclip imagemagick fonts-nanum locales curl
    dovecot-pop3d dovecot-imapd python3-aiosmtpd python3
    libgnutls30 openssl
    nsis x11vnc novnc websockify
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

SUDO=
[ "$(id -u)" -ne 0 ] && SUDO=sudo

if [ ${#missing[@]} -gt 0 ]; then
    echo "installing: ${missing[*]}"
    $SUDO apt-get update -q
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# Wine takes its ANSI code page from the locale: ko_KR.UTF-8 gives code page 949.
if ! locale -a 2>/dev/null | grep -qi '^ko_KR\.utf-\?8$'; then
    $SUDO sed -i 's/^# *\(ko_KR.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^ko_KR.UTF-8 UTF-8' /etc/locale.gen || echo 'ko_KR.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
    $SUDO locale-gen >/dev/null
fi

# The cross compiler takes lld for -fuse-ld=lld from beside its own linker.
cross_ld=$(x86_64-w64-mingw32-g++-posix -print-prog-name=ld)
[ -e "$cross_ld.lld" ] || $SUDO ln -s "$(command -v ld.lld)" "$cross_ld.lld"
