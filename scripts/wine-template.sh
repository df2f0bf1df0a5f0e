#!/usr/bin/env bash
# Creates the template Wine prefix once: 32-bit, a virtual desktop of 1280x1024
# (so every program shares one screen with a taskbar and notification area).
set -euo pipefail
template=$1
[ -f "$template/.ready" ] && exit 0
mkdir -p "$(dirname "$template")"
exec 9>"$template.lock"
flock 9
[ -f "$template/.ready" ] && exit 0
rm -rf "$template"
export WINEPREFIX=$template WINEARCH=win32 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY
wineboot -i >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x1024 /f >/dev/null 2>&1
# Wine's own fonts (Marlett draws the caption buttons, Tahoma is the dialog font). This Wine does
# not find them in its data folder, so they go where every Windows program finds fonts.
if [ -d /usr/share/wine/fonts ]; then
  mkdir -p "$template/drive_c/windows/Fonts"
  cp /usr/share/wine/fonts/*.ttf "$template/drive_c/windows/Fonts/" 2>/dev/null || true
fi
wineserver -k >/dev/null 2>&1 || true
wineserver -w >/dev/null 2>&1 || true
touch "$template/.ready"
