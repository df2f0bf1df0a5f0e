#!/usr/bin/env bash
# Signing in `make dist`: with a throwaway code-signing certificate made here, Quorlin.exe (in the
# zip and inside the MSI) and the MSI carry Authenticode signatures that osslsigncode verifies
# against that certificate; the sums and the winget hash are those of the signed files.
# Usage: signing_test.sh BUILD_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$(dirname "$here")")
build=$(cd "$1" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/quorlin-sign.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Quorlin test signer" \
  -addext "extendedKeyUsage=codeSigning" -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
password=throwaway-$$
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -passout "pass:$password" -out "$work/cert.p12"

out=$(QUORLIN_SIGN_PKCS12=$work/cert.p12 QUORLIN_SIGN_PASSWORD=$password \
  python3 "$root/scripts/dist.py" --exe "$build/Quorlin.exe" --out "$work/dist")
echo "$out"
grep -q unsigned <<<"$out" && fail "signed packages reported as unsigned"
python3 "$here/packages.py" check "$work/dist" ""

msi=$(ls "$work/dist"/*.msi)
unzip -q "$work/dist"/*-portable.zip Quorlin.exe -d "$work/zip"
(cd "$work" && msiextract -C "$work/msi" "$msi" >/dev/null)
inmsi=$(find "$work/msi" -name Quorlin.exe)
[ -n "$inmsi" ] || fail "no Quorlin.exe inside the MSI"
for f in "$msi" "$work/zip/Quorlin.exe" "$inmsi"; do
  osslsigncode verify -CAfile "$work/cert.pem" -in "$f" >"$work/verify.log" 2>&1 ||
    { cat "$work/verify.log"; fail "$(basename "$f"): signature not verified"; }
  grep -q "Quorlin test signer" "$work/verify.log" || fail "$(basename "$f"): signed by someone else"
done
# The check tells: the build's own, unsigned Quorlin.exe does not pass it.
osslsigncode verify -CAfile "$work/cert.pem" -in "$build/Quorlin.exe" >/dev/null 2>&1 &&
  fail "an unsigned file passed the verification"
echo "signatures verified: MSI, Quorlin.exe in the zip and in the MSI"
