#!/usr/bin/env bash
# scripts/sign with a throwaway code-signing certificate: a failed signing
# leaves the program byte-identical and says why in one line; a good one
# verifies with osslsigncode, and the signed program still installs the same
# files (one scenario of the driver, run against the signed copy).
# Usage: signed_program.sh <source dir> <wine loader> <driver.exe>
# (QUILLFERN_SETUP names the program to sign a copy of.)
set -u
source_dir=$1 wine_loader=$2 driver=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
failures=0
fault() { echo "FAILED: $*"; failures=$((failures + 1)); }

openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem -days 2 -subj "/CN=Quillfern Test" \
    -addext keyUsage=digitalSignature -addext extendedKeyUsage=codeSigning >/dev/null 2>&1 &&
    echo "right password" >password && echo "wrong password" >wrong &&
    openssl pkcs12 -export -inkey key.pem -in cert.pem -out signer.p12 -passout file:password ||
    { echo "cannot make the test certificate"; exit 1; }
mkdir program && cp "$QUILLFERN_SETUP" program/QuillfernSetup.exe && cp "$QUILLFERN_SETUP" unsigned.exe
program=$work/program/QuillfernSetup.exe

# Each failure: non-zero, one line, the program untouched, nothing left beside it.
expect_refused() {
    local what=$1 out
    shift
    out=$("$source_dir/scripts/sign" "$@" 2>&1) && fault "$what: signed all the same"
    [ "$(wc -l <<<"$out")" = 1 ] || fault "$what: not one line: $out"
    echo "$what: $out"
    cmp -s unsigned.exe "$program" || fault "$what: the program changed"
    [ "$(ls -A program)" = QuillfernSetup.exe ] || fault "$what: left behind: $(ls -A program)"
}
expect_refused "wrong password" --pkcs12 signer.p12 --password-file wrong "$program"
expect_refused "not a certificate" --pkcs12 cert.pem --password-file password "$program"
expect_refused "no such program" --pkcs12 signer.p12 --password-file password "$work/program/Missing.exe"

"$source_dir/scripts/sign" --pkcs12 signer.p12 --password-file password "$program" || fault "signing failed"
[ "$(ls -A program)" = QuillfernSetup.exe ] || fault "left behind: $(ls -A program)"
osslsigncode verify -CAfile cert.pem -in "$program" >verify.log 2>&1 || { cat verify.log; fault "does not verify"; }
grep -q 'Message digest algorithm *: SHA256' verify.log || fault "not a SHA-256 signature"
echo "unsigned $(stat -c %s unsigned.exe) bytes, signed $(stat -c %s "$program") bytes"

QUILLFERN_SETUP=$program GTEST_FILTER='InstallerSession.FrenchInstallationWithTheMouse:ProgramResources.*' \
    "$wine_loader" "$driver" || fault "the signed program's scenario"
[ "$failures" = 0 ]
