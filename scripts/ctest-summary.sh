#!/usr/bin/env bash
# Runs one build tree's tests; prints each runner's summary (and the full output of a failing runner).
dir=$1
log=$dir/ctest-output.log
(cd "$dir" && ctest --output-on-failure --output-log "$(basename "$log")")
rc=$?
grep -E '^\[==========\] [0-9]+ tests? from .* ran|^\[  PASSED  \]|^\[  FAILED  \]|^\[  SKIPPED \]' "$log" | sed 's/^/    /'
exit $rc
