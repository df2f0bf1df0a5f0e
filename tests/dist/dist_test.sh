#!/usr/bin/env bash
# The packages of `make dist` for the build in BUILD_DIR: their contents on disk, then, under
# Wine, the MSI installed, upgraded by a later build and uninstalled (Installer_test.cpp).
# Usage: dist_test.sh BUILD_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$(dirname "$here")")
build=$(cd "$1" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/quorlin-dist.XXXXXX")
trap 'rm -rf "$work"' EXIT

unset QUORLIN_SIGN_PKCS12 QUORLIN_SIGN_PASSWORD
out=$(python3 "$root/scripts/dist.py" --exe "$build/Quorlin.exe" --out "$work/old")
echo "$out"
# Unsigned, and it says so in one line.
[ "$(grep -c unsigned <<<"$out")" -eq 1 ] || { echo "FAIL: no single line about the missing signature"; exit 1; }
python3 "$here/packages.py" check "$work/old" "$build/Quorlin.exe"

python3 "$here/packages.py" bump "$build/Quorlin.exe" "$work/next/Quorlin.exe"
python3 "$root/scripts/dist.py" --exe "$work/next/Quorlin.exe" --out "$work/new" >/dev/null
old=$(ls "$work/old"/*.msi) new=$(ls "$work/new"/*.msi)
[ "$(basename "$old")" != "$(basename "$new")" ] || { echo "FAIL: the later build has the same version"; exit 1; }

QUORLIN_DIST_OLD=$work/old QUORLIN_DIST_NEW=$work/new QUORLIN_EXE_NEW=$work/next/Quorlin.exe \
  "$root/scripts/wine-run.sh" "$build/dist_Installer_test.exe" --gtest_brief=1
