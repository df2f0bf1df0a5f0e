#!/usr/bin/env bash
# Runs a Windows program under scripts/wine-run.sh and takes a picture of its private display.
# Usage: screenshot.sh OUT.png DELAY_SECONDS program.exe [args...]
# The program should end by itself a little after DELAY_SECONDS.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=$1 delay=$2
shift 2

"$here/wine-run.sh" "$@" &
runner=$!
sleep "$delay"
display=""
for child in $(pgrep -P "$runner"); do
  display=$(tr '\0' '\n' <"/proc/$child/environ" 2>/dev/null | sed -n 's/^DISPLAY=//p')
  [ -n "$display" ] && break
done
if [ -z "$display" ]; then
  echo "screenshot: display of the program not found" >&2
  wait "$runner"
  exit 2
fi
import -display "$display" -window root "$out"
rc=$?
wait "$runner"
exit $rc
