#!/usr/bin/env bash
# Runs the soak driver (tests/soak/Soak.cpp) against the real Quorlin.exe under Wine and writes
# its checkpoints into docs/RELIABILITY.md.   Usage: soak.sh EVENTS [SEED]
set -uo pipefail
cd "$(dirname "$0")/.."
events=${1:-100000}
seed=${2:-1}
log=build/win/soak-$events.log
start=$(date +%s)
bash scripts/wine-run.sh build/win/soak.exe "$events" "$seed" | stdbuf -oL tr -d '\r' | tee "$log"
rc=${PIPESTATUS[0]}
minutes=$(( ($(date +%s) - start + 59) / 60 ))

table="Run of $(date -u '+%Y-%m-%d %H:%M UTC'): $events events, seed $seed, $minutes min, exit code $rc."$'\n\n'
table+="| events | seconds | handles | windows | GDI objects | USER objects | private KB | presses | blocked |"$'\n'
table+="|---|---|---|---|---|---|---|---|---|"$'\n'
table+=$(sed -n 's/^checkpoint \([0-9]*\) events \([0-9]*\) s handles \([0-9]*\) windows \([0-9]*\) gdi \([0-9]*\) user \([0-9]*\) private_kb \([0-9]*\) presses \([0-9]*\) blocked \([0-9]*\).*/| \1 | \2 | \3 | \4 | \5 | \6 | \7 | \8 | \9 |/p' "$log")
table+=$'\n\n'"Summary: \`$(grep '^summary' "$log")\`"
notes=$(grep -c '^note' "$log")
table+=$'\n\n'"Driver steps that did not go as planned (noted, run continued): $notes"
[ "$notes" -gt 0 ] && table+=$'\n\n'"$(grep '^note' "$log" | sed 's/^note at [0-9]*: //' | sort | uniq -c | sed 's/^ */- /')"
python3 scripts/doc-section.py docs/RELIABILITY.md soak "$table"
exit "$rc"
