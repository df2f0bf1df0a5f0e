#!/usr/bin/env bash
# Checks that dependencies between the source folders run one way:
#   base < blocker, shortcuts, settings, touchpad, online < shell < ui
# A file under src/ may include only from its own folder or from a folder of a lower layer;
# folders of the same layer do not include each other. Includes without a folder are free.
#
# Usage: check-layers.sh [SRC_DIR]   (default: src beside this script's folder)
#        check-layers.sh --selftest  (checks the checker on a small tree with known faults)
set -uo pipefail

rank() {
  case $1 in
    base) echo 0 ;;
    blocker|shortcuts|settings|touchpad|online) echo 1 ;;
    shell) echo 2 ;;
    ui) echo 3 ;;
    *) echo "" ;;
  esac
}

# check_tree DIR: prints each offending include, returns 1 on any.
check_tree() {
  local src=$1 bad=0 file folder target line own theirs
  while IFS= read -r file; do
    folder=${file#"$src"/}
    folder=${folder%%/*}
    own=$(rank "$folder")
    if [ -z "$own" ]; then
      echo "${file#"$src"/}: folder '$folder' has no layer"
      bad=1
      continue
    fi
    while IFS= read -r line; do
      target=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]*)".*/\1/' <<<"$line")
      [[ $target == */* ]] || continue
      target=${target%%/*}
      [ "$target" = "$folder" ] && continue
      theirs=$(rank "$target")
      if [ -z "$theirs" ] || [ "$theirs" -ge "$own" ]; then
        echo "${file#"$src"/}: includes from $target/, which is not below $folder/"
        bad=1
      fi
    done < <(grep -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file")
  done < <(find "$src" -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.rc' \) | sort)
  return $bad
}

selftest() {
  local dir out
  dir=$(mktemp -d)
  trap 'rm -rf "$dir"' RETURN
  mkdir -p "$dir/base" "$dir/settings" "$dir/shell" "$dir/ui/res" "$dir/blocker"
  printf '#include "base/a.h"\n#include <windows.h>\n#include "version.h"\n' >"$dir/ui/res/x.rc"
  printf '#include "shell/b.h"\n#include "settings/c.h"\n' >"$dir/ui/ok.cpp"
  printf '#include "ui/d.h"\n' >"$dir/shell/up.cpp"            # upward
  printf '#include "blocker/e.h"\n' >"$dir/settings/side.h"     # sideways in one layer
  printf '#include "settings/f.h"\n' >"$dir/settings/own.h"     # own folder
  printf '  #  include "shell/g.h"\n' >"$dir/base/spaced.h"      # upward, odd spacing
  out=$(check_tree "$dir") && { echo "selftest: faults not found"; return 1; }
  local expected="base/spaced.h: includes from shell/, which is not below base/
settings/side.h: includes from blocker/, which is not below settings/
shell/up.cpp: includes from ui/, which is not below shell/"
  if [ "$out" != "$expected" ]; then
    printf 'selftest: unexpected report:\n%s\n' "$out"
    return 1
  fi
  echo "selftest passed"
}

if [ "${1:-}" = "--selftest" ]; then
  selftest
  exit $?
fi
src=${1:-$(cd "$(dirname "$0")/.." && pwd)/src}
if check_tree "$src"; then
  echo "layers: every include runs downward"
else
  exit 1
fi
