#!/usr/bin/env bash
# Checks that dependencies between the source folders run one way:
#   base < blocker, shortcuts, settings, touchpad, online < shell < ui/model < ui/features < ui
# (ui itself holds the main window and the entry). A file under src/ may include only from its own
# folder or from a folder of a lower layer; folders of the same layer do not include each other.
# Inside ui/features a feature includes only the feature interface (Feature.h) and its own
# header, never another feature. Includes without a folder are free.
#
# Usage: check-layers.sh [SRC_DIR]   (default: src beside this script's folder)
#        check-layers.sh --selftest  (checks the checker on a small tree with known faults)
set -uo pipefail

rank() {
  case $1 in
    base) echo 0 ;;
    blocker|shortcuts|settings|touchpad|online) echo 1 ;;
    shell) echo 2 ;;
    ui/model) echo 3 ;;
    ui/features) echo 4 ;;
    ui) echo 5 ;;
    *) echo "" ;;
  esac
}

# The room of a path under src/: its first folder, or ui/model and ui/features inside ui.
room() {
  case $1 in
    ui/model/*) echo ui/model ;;
    ui/features/*) echo ui/features ;;
    *) echo "${1%%/*}" ;;
  esac
}

# A file's name without its ending and its _win part: a feature's own headers start with it.
stem() {
  local name=${1##*/}
  name=${name%.*}
  echo "${name%_win}"
}

# check_tree DIR: prints each offending include, returns 1 on any.
check_tree() {
  local src=$1 bad=0 file folder target line own theirs
  while IFS= read -r file; do
    folder=$(room "${file#"$src"/}")
    own=$(rank "$folder")
    if [ -z "$own" ]; then
      echo "${file#"$src"/}: folder '$folder' has no layer"
      bad=1
      continue
    fi
    while IFS= read -r line; do
      target=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]*)".*/\1/' <<<"$line")
      [[ $target == */* ]] || continue
      if [ "$folder" = ui/features ] && [[ $target == ui/features/* ]]; then
        case ${target##*/} in
          Feature.h | "$(stem "$file")"*) continue ;;
        esac
        echo "${file#"$src"/}: includes another feature, ${target}"
        bad=1
        continue
      fi
      target=$(room "$target")
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
  mkdir -p "$dir/base" "$dir/settings" "$dir/shell" "$dir/ui/res" "$dir/blocker" "$dir/ui/model" "$dir/ui/features"
  printf '#include "base/a.h"\n#include <windows.h>\n#include "version.h"\n' >"$dir/ui/res/x.rc"
  printf '#include "shell/b.h"\n#include "settings/c.h"\n' >"$dir/ui/ok.cpp"
  printf '#include "ui/d.h"\n' >"$dir/shell/up.cpp"            # upward
  printf '#include "blocker/e.h"\n' >"$dir/settings/side.h"     # sideways in one layer
  printf '#include "settings/f.h"\n' >"$dir/settings/own.h"     # own folder
  printf '  #  include "shell/g.h"\n' >"$dir/base/spaced.h"      # upward, odd spacing
  printf '#include "ui/features/Feature.h"\n#include "ui/features/A_win.h"\n' >"$dir/ui/features/A_win.cpp"
  printf '#include "ui/features/A_win.h"\n' >"$dir/ui/features/B_win.cpp"  # another feature
  printf '#include "ui/features/Feature.h"\n' >"$dir/ui/model/M.h"         # model below features
  printf '#include "ui/model/M.h"\n' >"$dir/ui/features/Feature.h"
  out=$(check_tree "$dir") && { echo "selftest: faults not found"; return 1; }
  local expected="base/spaced.h: includes from shell/, which is not below base/
settings/side.h: includes from blocker/, which is not below settings/
shell/up.cpp: includes from ui/, which is not below shell/
ui/features/B_win.cpp: includes another feature, ui/features/A_win.h
ui/model/M.h: includes from ui/features/, which is not below ui/model/"
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
