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
wineserver -k >/dev/null 2>&1 || true
wineserver -w >/dev/null 2>&1 || true
touch "$template/.ready"
