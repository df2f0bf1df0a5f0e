#!/usr/bin/env bash
# Runs a Windows program under Wine the way the tests need it:
#  - on a private Xvfb display (never the user's), 1280x1024;
#  - in a throwaway copy of a template 32-bit prefix (created once, reused);
#  - with Wine's own diagnostics silenced.
# The program's exit code is passed on. Usage: wine-run.sh program.exe [args...]
#                                         or: wine-run.sh --sh 'shell commands' (same environment)
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
template=${QUORLIN_WINE_TEMPLATE:-$root/build/wine-template}

export WINEDEBUG=${QUORLIN_WINEDEBUG:--all}
export WINEARCH=win32
# No Mono or Gecko download prompts in a machine without internet.
export WINEDLLOVERRIDES="mscoree,mshtml=${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"

"$here/wine-template.sh" "$template" || { echo "wine-run: cannot create the Wine prefix" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/quorlin-wine.XXXXXX")
prefix=$work/prefix
xvfb_pid=""
cleanup() {
  WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1
  WINEPREFIX=$prefix wineserver -w >/dev/null 2>&1
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Hard links are safe for everything but the three registry files, which Wine rewrites in place.
cp -al "$template" "$prefix"
for f in system.reg user.reg userdef.reg; do
  rm -f "$prefix/$f" && cp "$template/$f" "$prefix/$f"
done
export WINEPREFIX=$prefix

# A system DPI other than 96 (QUORLIN_LOGPIXELS=144, say) is read when the wineserver starts, so it
# goes into the copy's registry file before anything runs.
if [ -n "${QUORLIN_LOGPIXELS:-}" ]; then
  dword=$(printf '%08x' "$QUORLIN_LOGPIXELS")
  awk -v value="\"LogPixels\"=dword:$dword" '{ print }
    index($0, "[Control Panel\\\\Desktop] ") == 1 { getline; print; print value }' \
    "$prefix/user.reg" >"$work/user.reg" && mv "$work/user.reg" "$prefix/user.reg"
  grep -q "^\"LogPixels\"=dword:$dword" "$prefix/user.reg" || { echo "wine-run: cannot set LogPixels" >&2; exit 2; }
fi

Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp >"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
if [ ! -s "$work/display" ]; then echo "wine-run: Xvfb did not start" >&2; exit 2; fi
export DISPLAY=:$(head -n1 "$work/display")

# A machine up for weeks (QUORLIN_UPTIME: "25d", or "wrap:S" for a tick count that wraps S seconds
# from now; see tests/support/uptime): from here on every process, the wineserver first, preloads
# the library that runs the monotonic clocks ahead by one fixed offset, its 32- or 64-bit build
# through $LIB.
if [ -n "${QUORLIN_UPTIME:-}" ]; then
  shift_dir=${QUORLIN_CLOCK_SHIFT_DIR:-$root/build/win/clockshift}
  [ -f "$shift_dir/lib/i386-linux-gnu/clockshift.so" ] || { echo "wine-run: no clock-shifting library in $shift_dir" >&2; exit 2; }
  QUORLIN_CLOCK_SHIFT_MS=$(python3 "$root/tests/support/uptime/shift.py" "$QUORLIN_UPTIME") || exit 2
  export QUORLIN_CLOCK_SHIFT_MS LD_PRELOAD="$shift_dir/\$LIB/clockshift.so${LD_PRELOAD:+ $LD_PRELOAD}"
fi

# Artefacts (screenshots) land here when asked for.
export QUORLIN_ARTIFACTS=${QUORLIN_ARTIFACTS:-$root/build/artifacts}
mkdir -p "$QUORLIN_ARTIFACTS"

if [ "${1:-}" = "--sh" ]; then
  bash -c "$2"
else
  wine "$@"
fi
rc=$?
exit $rc
