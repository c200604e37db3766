#!/usr/bin/env bash
# scripts/sign with throwaway certificates from a test authority: a failed
# signing leaves the program byte-identical and says why in one line; a
# signature without a timestamp is refused unless asked for; good ones made
# with a PKCS#12 file and with a key kept on a SoftHSM token verify with
# osslsigncode, timestamped by a local timestamping authority (RFC 3161 over
# HTTP, answered by openssl ts) so that they outlive their certificate; the
# signed program less its signature is the unsigned one, byte for byte; and
# the signed program still installs the same files (one scenario of the
# driver, run against the signed copy).
# Usage: signed_program.sh <source dir> <wine loader> <driver.exe>
# (QUILLFERN_SETUP names the program to sign a copy of.)
set -u
source_dir=$1 wine_loader=$2 driver=$3
sign=$source_dir/scripts/sign
work=$(mktemp -d)
servers=()
trap 'kill "${servers[@]}" 2>/dev/null; rm -rf "$work"' EXIT
cd "$work" || exit 1
failures=0
fault() { echo "FAILED: $*"; failures=$((failures + 1)); }
# The timestamping authority is on this machine: no proxy in between.
unset http_proxy HTTP_PROXY https_proxy HTTPS_PROXY all_proxy ALL_PROXY

# A certificate of NAME from the test authority (or, with no authority,
# self-signed), with its key in NAME.key; the rest are its extensions.
issue() {
    local name=$1 authority=$2
    shift 2
    openssl req -new -newkey rsa:2048 -nodes -keyout "$name.key" -out "$name.csr" -subj "/CN=Quillfern Test $name" \
        >/dev/null 2>&1 || return 1
    local from=(-CA "$authority.pem" -CAkey "$authority.key" -CAcreateserial)
    [ "$authority" = self ] && from=(-key "$name.key")
    openssl x509 -req -in "$name.csr" "${from[@]}" -days 2 -out "$name.pem" \
        -extfile <(printf '%s\n' "$@") >/dev/null 2>&1
}
mkdir program &&
    issue authority self basicConstraints=critical,CA:TRUE keyUsage=critical,keyCertSign &&
    issue signer authority keyUsage=critical,digitalSignature extendedKeyUsage=codeSigning &&
    issue stamper authority keyUsage=critical,digitalSignature extendedKeyUsage=critical,timeStamping &&
    issue stranger self keyUsage=critical,digitalSignature extendedKeyUsage=critical,timeStamping &&
    echo "right password" >password && echo "wrong password" >wrong &&
    cat signer.pem authority.pem >chain.pem &&
    openssl pkcs12 -export -inkey signer.key -in signer.pem -certfile authority.pem -out signer.p12 \
        -passout file:password &&
    cp "$QUILLFERN_SETUP" unsigned.exe ||
    { echo "cannot make the test certificates"; exit 1; }
program=$work/program/QuillfernSetup.exe
fresh() { cp unsigned.exe "$program"; }

# A timestamping authority answering on a port of its own, signing with the
# certificate NAME.pem; its address is left in $address.
start_authority() {
    local name=$1
    printf '[tsa]\ndefault_tsa = it\n[it]\nserial = %s\ncrypto_device = builtin\nsigner_digest = sha256\n%s\n' \
        "$work/$name.serial" "default_policy = 1.2.3.4.1
digests = sha256, sha384, sha512
accuracy = secs:1
ess_cert_id_alg = sha256" >"$name.cnf"
    echo 01 >"$name.serial"
    python3 - "$work" "$name" <<'EOF' >/dev/null 2>&1 &
import http.server, os, subprocess, sys
work, name = sys.argv[1], sys.argv[2]
at = lambda suffix: os.path.join(work, name + suffix)

class Authority(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        with open(at(".tsq"), "wb") as f:
            f.write(self.rfile.read(int(self.headers["Content-Length"])))
        reply = subprocess.run(["openssl", "ts", "-reply", "-config", at(".cnf"), "-queryfile", at(".tsq"),
                                "-inkey", at(".key"), "-signer", at(".pem"), "-out", at(".tsr")],
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if reply.returncode:
            self.send_response(500)
            self.end_headers()
            return
        with open(at(".tsr"), "rb") as f:
            data = f.read()
        self.send_response(200)
        self.send_header("Content-Type", "application/timestamp-reply")
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.wfile.write(data)

    def log_message(self, *args):
        pass

server = http.server.HTTPServer(("127.0.0.1", 0), Authority)
with open(at(".port.new"), "w") as f:
    f.write(str(server.server_port))
os.rename(at(".port.new"), at(".port"))
server.serve_forever()
EOF
    servers+=($!)
    local tries
    for tries in $(seq 100); do
        [ -f "$name.port" ] && { address="http://127.0.0.1:$(cat "$name.port")/"; return; }
        sleep 0.1
    done
    return 1
}
start_authority stamper && authority=$address && start_authority stranger && untrusted=$address ||
    { echo "cannot start the local timestamping authorities"; exit 1; }

# A SoftHSM token holding the signer's key, which signs only through the module.
module=""
for candidate in /usr/lib/softhsm/libsofthsm2.so /usr/lib/*/softhsm/libsofthsm2.so; do
    [ -f "$candidate" ] && module=$candidate && break
done
export SOFTHSM2_CONF=$work/softhsm2.conf
mkdir tokens && printf 'directories.tokendir = %s\nobjectstore.backend = file\nlog.level = ERROR\n' "$work/tokens" >"$SOFTHSM2_CONF"
echo 4321 >pin && echo 1111 >wrong-pin
[ -n "$module" ] && softhsm2-util --init-token --free --label sign --pin 4321 --so-pin 87654321 >/dev/null &&
    openssl pkcs8 -topk8 -nocrypt -in signer.key -out signer.pk8 &&
    softhsm2-util --import signer.pk8 --token sign --label signkey --id 01 --pin 4321 >/dev/null &&
    rm signer.pk8 ||
    { echo "cannot make the SoftHSM token (softhsm2-util: scripts/setup installs it)"; exit 1; }
token=(--pkcs11-module "$module" --pkcs11-key 'pkcs11:token=sign;object=signkey;type=private' --certificates chain.pem)

# Each failure: non-zero, one line, the program untouched, nothing left beside it.
expect_refused() {
    local what=$1 said=$2 out
    shift 2
    fresh
    out=$("$sign" "$@" 2>&1) && fault "$what: signed all the same"
    [ "$(wc -l <<<"$out")" = 1 ] || fault "$what: not one line: $out"
    grep -q -i -- "$said" <<<"$out" || fault "$what: does not say \"$said\": $out"
    echo "$what: $out"
    cmp -s unsigned.exe "$program" || fault "$what: the program changed"
    [ "$(ls -A program)" = QuillfernSetup.exe ] || fault "$what: left behind: $(ls -A program)"
}
expect_refused "wrong password" "wrong password" --pkcs12 signer.p12 --password-file wrong --no-timestamp "$program"
expect_refused "not a certificate" "not a readable" --pkcs12 signer.pem --password-file password --no-timestamp "$program"
expect_refused "no such program" "no such file" --pkcs12 signer.p12 --password-file password --no-timestamp \
    "$work/program/Missing.exe"
expect_refused "no timestamp asked for" "needs a timestamp" --pkcs12 signer.p12 --password-file password "$program"
expect_refused "a timestamp whose authority is not trusted" "timestamp did not verify" \
    --pkcs12 signer.p12 --password-file password --timestamp "$untrusted" "$program"
expect_refused "wrong PIN" "signing failed" "${token[@]}" --pin-file wrong-pin --no-timestamp "$program"
expect_refused "a key the token does not hold" "signing failed" --pkcs11-module "$module" \
    --pkcs11-key 'pkcs11:token=sign;object=nokey;type=private' --certificates chain.pem --pin-file pin \
    --no-timestamp "$program"
expect_refused "a certificate that is not the token key's" "signing failed" --pkcs11-module "$module" \
    --pkcs11-key 'pkcs11:token=sign;object=signkey;type=private' --certificates stamper.pem --pin-file pin \
    --no-timestamp "$program"

help=$("$sign" --help) || fault "--help: exit code $?"
grep -q -- '--pkcs11-module LIB' <<<"$help" && grep -q -- '--no-timestamp' <<<"$help" ||
    fault "--help does not print the usage: $help"

# A good signing: it replaces the program, verifies, and with a timestamp
# still verifies once the certificate has expired (it is valid for 2 days).
expect_signed() {
    local what=$1 stamped=$2
    shift 2
    fresh
    "$sign" "$@" "$program" || { fault "$what: signing failed"; return; }
    [ "$(ls -A program)" = QuillfernSetup.exe ] || fault "$what: left behind: $(ls -A program)"
    osslsigncode verify -CAfile authority.pem -TSA-CAfile authority.pem -ignore-cdp -in "$program" \
        >verify.log 2>&1 || { cat verify.log; fault "$what: does not verify"; }
    grep -q 'Message digest algorithm *: SHA256' verify.log || fault "$what: not a SHA-256 signature"
    grep -q "Subject: /CN=Quillfern Test signer" verify.log || fault "$what: not the signer's certificate"
    local later=$(($(date +%s) + 3 * 86400))
    if [ "$stamped" = 1 ]; then
        grep -q '^Timestamp Server Signature verification: ok' verify.log || fault "$what: no timestamp"
        osslsigncode verify -CAfile authority.pem -TSA-CAfile authority.pem -ignore-cdp -time "$later" \
            -in "$program" >later.log 2>&1 || { cat later.log; fault "$what: does not outlive its certificate"; }
    elif ! grep -q '^Timestamp is not available' verify.log; then
        fault "$what: timestamped"
    fi
    # The release's check: the signed program less its signature is the build's.
    rm -f stripped.exe
    osslsigncode remove-signature -in "$program" -out stripped.exe >/dev/null 2>&1 &&
        [ "$(sha256sum <stripped.exe)" = "$(sha256sum <unsigned.exe)" ] ||
        fault "$what: less its signature, not the unsigned program"
    echo "$what: unsigned $(stat -c %s unsigned.exe) bytes, signed $(stat -c %s "$program") bytes"
}
expect_signed "PKCS#12 without a timestamp" 0 --pkcs12 signer.p12 --password-file password --no-timestamp
expect_signed "PKCS#12, timestamped" 1 --pkcs12 signer.p12 --password-file password --timestamp "$authority"
expect_signed "SoftHSM token, timestamped" 1 "${token[@]}" --pin-file pin --timestamp "$authority"

QUILLFERN_SETUP=$program GTEST_FILTER='InstallerSession.FrenchInstallationWithTheMouse:ProgramResources.*' \
    "$wine_loader" "$driver" || fault "the signed program's scenario"
[ "$failures" = 0 ]
