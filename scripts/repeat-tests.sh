#!/usr/bin/env bash
# Runs the Wine-tier and end-to-end test executables N times in a row and prints one table: every
# test case that failed at least once, how often, and where the log of its first failure is.
#   Usage: repeat-tests.sh N [--load] [FILTER...]
#   --load    keeps both cores busy with two low-priority busy processes while the tests run
#   FILTER    runs only the executables whose name contains one of the words (e.g. e2e_Shortcuts)
# Run `make win` first. Logs go to build/repeat/ (QUORLIN_REPEAT_DIR to change). The executables
# are taken from build/win, or from QUORLIN_REPEAT_BUILD (a copy, to test one build while working on).
set -uo pipefail
cd "$(dirname "$0")/.."

usage() { echo "usage: $0 N [--load] [FILTER...]" >&2; exit 2; }
[ $# -ge 1 ] && [[ $1 =~ ^[1-9][0-9]*$ ]] || usage
runs=$1; shift
load=0
filters=()
for a in "$@"; do
  case $a in
    --load) load=1 ;;
    -*) usage ;;
    *) filters+=("$a") ;;
  esac
done

exes=()
bin=${QUORLIN_REPEAT_BUILD:-build/win}
for f in "$bin"/win_*_test.exe "$bin"/e2e_*_test.exe; do
  [ -e "$f" ] || continue
  name=$(basename "$f" .exe)
  if [ ${#filters[@]} -gt 0 ]; then
    hit=0
    for w in "${filters[@]}"; do [[ $name == *"$w"* ]] && hit=1; done
    [ $hit -eq 1 ] || continue
  fi
  exes+=("$f")
done
[ ${#exes[@]} -gt 0 ] || { echo "repeat-tests: no test executable matches (run make win first)" >&2; exit 2; }

out=${QUORLIN_REPEAT_DIR:-build/repeat}/$(date +%Y%m%d-%H%M%S)
mkdir -p "$out"

busy=()
stop_load() {
  for p in "${busy[@]}"; do kill "$p" 2>/dev/null; wait "$p" 2>/dev/null; done
  busy=()
}
trap stop_load EXIT
trap 'exit 130' INT TERM
if [ $load -eq 1 ]; then
  for _ in 1 2; do
    nice -n 19 bash -c 'while :; do :; done' &
    busy+=($!)
  done
fi

# Each executable runs with the environment its ctest entry gives it (the 144-DPI prefix, say).
declare -A test_env=()
while IFS=$'\t' read -r tname tenv; do test_env[$tname]=$tenv; done < <(
  ctest --test-dir build/win --show-only=json-v1 2>/dev/null | python3 -c '
import json, sys
for t in json.load(sys.stdin).get("tests", []):
    env = [v for p in t.get("properties", []) if p["name"] == "ENVIRONMENT" for v in p["value"]]
    if env: print(t["name"], " ".join(env), sep="\t")' 2>/dev/null)

start=$(date +%s)
for run in $(seq "$runs"); do
  for exe in "${exes[@]}"; do
    name=$(basename "$exe" .exe)
    log=$out/$name.run$run.log
    t0=$(date +%s)
    # shellcheck disable=SC2086
    timeout 900 env ${test_env[$name]:-} bash scripts/wine-run.sh "$exe" </dev/null 2>&1 | tr -d '\r' >"$log"
    rc=${PIPESTATUS[0]}
    echo "exit $rc" >>"$log"
    printf 'run %d/%d %-34s exit %3d  %3d s\n' "$run" "$runs" "$name" "$rc" $(( $(date +%s) - t0 ))
  done
done
stop_load

echo
echo "$runs run(s)$( [ $load -eq 1 ] && echo ' under load'), ${#exes[@]} executable(s), $(( $(date +%s) - start )) s; logs in $out"
python3 - "$out" "$runs" <<'EOF'
import collections, pathlib, re, sys
out, runs = pathlib.Path(sys.argv[1]), int(sys.argv[2])
fails = collections.OrderedDict()  # case -> [count, first log text]
for log in sorted(out.glob('*.log'), key=lambda p: (int(p.stem.rsplit('run', 1)[1]), p.name)):
    exe = log.stem.rsplit('.run', 1)[0]
    lines = log.read_text(errors='replace').splitlines()
    current, body, failed_here = None, [], False
    for line in lines:
        m = re.match(r'\[ RUN      \] (\S+)', line)
        if m:
            current, body = m.group(1), []
            continue
        m = re.match(r'\[  FAILED  \] (\S+) \(', line)
        if m and m.group(1) == current:
            key = f'{exe}: {current}'
            entry = fails.setdefault(key, [0, None])
            entry[0] += 1
            if entry[1] is None:
                entry[1] = (log.name, body[-40:])
            failed_here, current = True, None
            continue
        if re.match(r'\[       OK \] ', line):
            current = None
        elif current:
            body.append(line)
    rc = lines[-1].split()[-1] if lines and lines[-1].startswith('exit ') else '?'
    if rc != '0' and not failed_here:
        # A crash, a hang or a start failure: no case reported its own failure.
        key = f'{exe}: (exit {rc}, no failing case named{", in " + current if current else ""})'
        entry = fails.setdefault(key, [0, None])
        entry[0] += 1
        if entry[1] is None:
            entry[1] = (log.name, lines[-40:])
if not fails:
    print('No test case failed.')
    sys.exit(0)
print(f'| test case | failed | first failure |')
print(f'|---|---|---|')
for key, (n, (name, _)) in fails.items():
    print(f'| {key} | {n} of {runs} | {name} |')
for key, (n, (name, body)) in fails.items():
    print(f'\n---- {key}: first failure ({name}) ----')
    print('\n'.join(body))
sys.exit(1)
EOF
