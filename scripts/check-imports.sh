#!/usr/bin/env bash
# Checks that Windows executables import only DLLs that Windows always takes from the system
# folder, so a DLL planted beside the program (or in the current folder) is never loaded.
# Allowed: KnownDLLs of Windows Vista and later, ntdll (mapped before anything else), and
# comctl32, which the manifest's side-by-side dependency takes from the system's assembly store.
# COM (ole32, oleaut32) is a KnownDLL too but stays out on purpose: the program loads it only when
# the touchpad driver or the shell needs it, so that a machine without the driver never pays for it.
# Anything else, including the compiler's runtime DLLs (static linking must hold), fails.
#
# Usage: check-imports.sh EXE...      (objdump from $OBJDUMP, default i686-w64-mingw32-objdump)
#        check-imports.sh --selftest  (checks the checker on canned objdump output)
set -uo pipefail

OBJDUMP=${OBJDUMP:-i686-w64-mingw32-objdump}
ALLOWED=" kernel32 user32 gdi32 shell32 advapi32 comdlg32 msvcrt shlwapi ws2_32 ntdll comctl32 "

# check_dump NAME: reads `objdump -p` output on stdin, prints each problem, returns 1 on any.
check_dump() {
  local name=$1 text dlls dll base bad=0
  text=$(tr -d '\r')
  dlls=$(sed -n 's/^[[:space:]]*DLL Name:[[:space:]]*//p' <<<"$text")
  if [ -z "$dlls" ]; then
    echo "$name: no import table found"
    return 1
  fi
  while IFS= read -r dll; do
    base=${dll,,}
    base=${base%.dll}
    case $base in
      libgcc*|libstdc++*|libwinpthread*)
        echo "$name: imports $dll: a compiler runtime DLL (the program must be linked statically)"
        bad=1 ;;
      *)
        if [[ $base == ole32 || $base == oleaut32 ]]; then
          echo "$name: imports $dll: COM is loaded at run time, only when needed"
          bad=1
        elif [[ $ALLOWED != *" $base "* ]]; then
          echo "$name: imports $dll: not a DLL that Windows always loads from the system folder"
          bad=1
        fi ;;
    esac
  done <<<"$dlls"
  # Delay-loaded DLLs are looked up along the search path too, and objdump does not list them.
  if grep -Eq '^Entry [0-9a-fA-F]+ [0-9a-fA-F]+ 0*[1-9a-fA-F][0-9a-fA-F]* Delay Import Directory' <<<"$text"; then
    echo "$name: has delay-loaded imports (load such DLLs with LoadLibraryExW from the system folder)"
    bad=1
  fi
  return $bad
}

check_file() {
  local exe=$1 dump
  if [ ! -f "$exe" ]; then
    echo "$exe: no such file (build it first)"
    return 1
  fi
  if ! dump=$("$OBJDUMP" -p "$exe" 2>&1); then
    echo "$exe: $OBJDUMP cannot read it: $dump"
    return 1
  fi
  check_dump "$exe" <<<"$dump"
}

selftest() {
  local passed=0 failed=0 out
  expect() {  # expect pass|fail NAME [text that the output must contain] <<< dump
    local want=$1 name=$2 needle=${3:-} rc
    out=$(check_dump "$name")
    rc=$?
    if { [ "$want" = pass ] && [ $rc -eq 0 ]; } ||
       { [ "$want" = fail ] && [ $rc -ne 0 ] && [[ $out == *"$needle"* ]]; }; then
      passed=$((passed + 1))
    else
      failed=$((failed + 1))
      echo "selftest $name: expected $want${needle:+ naming $needle}, got rc=$rc: $out"
    fi
  }
  local header=$'Entry d 00000000 00000000 Delay Import Directory\n\nThe Import Tables (interpreted .idata section contents)\n'
  expect pass system-only <<<"$header"$'\tDLL Name: KERNEL32.dll\n\tDLL Name: msvcrt.dll\n\tDLL Name: USER32.dll\n\tDLL Name: COMCTL32.dll\r\n'
  expect fail version-dll VERSION.dll <<<"$header"$'\tDLL Name: KERNEL32.dll\n\tDLL Name: VERSION.dll\n'
  expect fail winhttp-dll winhttp.dll <<<"$header"$'\tDLL Name: winhttp.dll\n\tDLL Name: USER32.dll\n'
  expect fail runtime-dll libstdc++-6.dll <<<"$header"$'\tDLL Name: KERNEL32.dll\n\tDLL Name: libstdc++-6.dll\n'
  expect fail pthread-dll libwinpthread-1.dll <<<"$header"$'\tDLL Name: libwinpthread-1.dll\n'
  expect fail com-ole32 "COM is loaded at run time" <<<"$header"$'\tDLL Name: KERNEL32.dll\n\tDLL Name: ole32.dll\n'
  expect fail com-oleaut32 "COM is loaded at run time" <<<"$header"$'\tDLL Name: OLEAUT32.dll\n'
  expect fail look-alike kernel32x.dll <<<"$header"$'\tDLL Name: kernel32x.dll\n'
  expect fail no-imports "no import table" <<<"$header"
  expect fail delay-load delay-loaded <<<$'Entry d 00012000 00000040 Delay Import Directory\n\tDLL Name: KERNEL32.dll\n'
  echo "check-imports selftest: $passed passed, $failed failed"
  [ $failed -eq 0 ]
}

if [ $# -eq 0 ]; then
  echo "usage: $0 EXE... | --selftest" >&2
  exit 2
fi
if [ "$1" = --selftest ]; then
  selftest
  exit
fi

bad=0
for exe in "$@"; do
  check_file "$exe" || bad=1
done
if [ $bad -eq 0 ]; then
  echo "check-imports: $# binaries import only system DLLs"
fi
exit $bad
