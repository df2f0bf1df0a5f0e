#!/usr/bin/env bash
# Installs what building and testing Quorlin on Debian needs; skips what is already there.
set -euo pipefail

# fonts-noto-cjk: Japanese and Chinese texts under Wine (Arial has no such glyphs; Wine falls back to it).
need=()
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
for p in g++ make cmake googletest libbenchmark-dev g++-mingw-w64-i686 wine wine32:i386 xvfb xdotool imagemagick x11-utils python3 fonts-liberation fonts-wine fonts-noto-cjk clang libclang-rt-dev \
         wixl msitools osslsigncode zip unzip openssl python3-yaml; do
  have_pkg "$p" || need+=("$p")
done
[ ${#need[@]} -eq 0 ] && exit 0

echo "Installing: ${need[*]}"
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
$SUDO apt-get update -q
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${need[@]}"
