#!/usr/bin/env bash
# Starts the built Quorlin.exe under Wine. Uses the user's X display when there is one; otherwise a
# virtual display (Xvfb) with a screenshot saved every few seconds to build/run/screenshot.png.
# The prefix build/run/prefix keeps Quorlin's settings (its registry) between runs.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
exe=$root/build/win/Quorlin.exe
run=$root/build/run
[ -f "$exe" ] || { echo "run: $exe is not built (make win)" >&2; exit 1; }

export WINEDEBUG=-all WINEARCH=win32 WINEDLLOVERRIDES="mscoree,mshtml="
"$here/wine-template.sh" "$root/build/wine-template" || exit 1
mkdir -p "$run"
if [ ! -d "$run/prefix" ]; then
  cp -a "$root/build/wine-template" "$run/prefix"
fi
export WINEPREFIX=$run/prefix

xvfb_pid=""
shot_pid=""
cleanup() {
  [ -n "$shot_pid" ] && kill "$shot_pid" 2>/dev/null
  wineserver -k >/dev/null 2>&1
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
}
trap cleanup EXIT
trap 'exit 130' INT TERM

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  echo "Starting Quorlin on display $DISPLAY (Wine prefix $WINEPREFIX)."
else
  Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp >"$run/display" 2>/dev/null &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$run/display" ] && break; sleep 0.05; done
  export DISPLAY=:$(head -n1 "$run/display")
  echo "No X display: Quorlin runs on the virtual display $DISPLAY."
  echo "A screenshot is saved every 3 s to $run/screenshot.png; press Ctrl+C to stop."
  ( while sleep 3; do import -window root "$run/screenshot.tmp.png" 2>/dev/null && mv "$run/screenshot.tmp.png" "$run/screenshot.png"; done ) &
  shot_pid=$!
fi

wine "$exe"
echo "Quorlin ended (exit code $?)."
