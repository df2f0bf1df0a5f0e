#!/usr/bin/env bash
# Runs one build tree's tests and prints, for each runner, its status and its own summary;
# the full output of a failing runner follows at the end.
dir=$1
log=$dir/ctest-output.log
(cd "$dir" && ctest -V >"$(basename "$log")" 2>&1)
rc=$?
grep -E '^ *[0-9]+/[0-9]+ Test +#|^[0-9]+: \[(==========|  PASSED  |  FAILED  |  SKIPPED )\]|tests passed|^Total Test time' "$log" |
  sed -E 's/^[0-9]+: /      /'
if [ $rc -ne 0 ]; then
  for n in $(grep -E '^ *[0-9]+/[0-9]+ Test +#[0-9]+: .*(Failed|Timeout|Exception|Not Run)' "$log" | sed -E 's/.*Test +#([0-9]+):.*/\1/'); do
    echo "---- output of failing test #$n ----"
    grep -E "^$n: " "$log" | sed -E "s/^$n: //" | tail -n 300
  done
fi
exit $rc
