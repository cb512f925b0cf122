#!/usr/bin/env bash
# The release of the savers script/test built, whose own checks then hold:
# unsigned and signed, with throwaway keys in a .pfx and on a software token,
# with and without time-stamps from a local service and winget manifests. Bad
# keys, time-stamping services and URLs stop it with a clear message, no folder.
set -euo pipefail
source "$(dirname "$0")/../script/lib.sh"
keys=$(mktemp -d "${TMPDIR:-/tmp}/release-test-XXXXXX")
on_exit rm -rf "$keys"
failed() {
    echo "release test: $*" >&2
    exit 1
}
password=throwaway-password
pin=throwaway-pin-4711

# certificate NAME [ISSUER] EXTENSIONS...: a throwaway key and certificate,
# NAME.key and NAME.pem, issued by ISSUER's key, or by its own.
certificate() {
    openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Throwaway $1" -keyout "$keys/$1.key" \
        -out "$keys/$1.pem" ${2:+-CA "$keys/$2.pem" -CAkey "$keys/$2.key"} "${@:3}" 2>/dev/null
}
certificate root ""
certificate signer root -addext basicConstraints=CA:FALSE -addext extendedKeyUsage=codeSigning
certificate time-stamp-root ""
certificate time-stamps time-stamp-root -addext basicConstraints=CA:FALSE \
    -addext extendedKeyUsage=critical,timeStamping
cat "$keys/signer.pem" "$keys/root.pem" >"$keys/chain.pem"
openssl pkcs12 -export -legacy -inkey "$keys/signer.key" -in "$keys/chain.pem" -passout "pass:$password" \
    -out "$keys/signer.pfx"

# The signer's key on a software token of the test's own.
export SOFTHSM2_CONF=$keys/softhsm2.conf
mkdir "$keys/tokens"
echo "directories.tokendir = $keys/tokens" >"$SOFTHSM2_CONF"
softhsm2-util --init-token --free --label cadrel --so-pin "$pin" --pin "$pin" >/dev/null
softhsm2-util --import "$keys/signer.key" --token cadrel --label signer --id 0a --pin "$pin" >/dev/null

python3 "$ROOT/tests/time_stamp_service.py" "$keys" >"$keys/port" 2>/dev/null &
# shellcheck disable=SC2034 # stop_child reads it by its name
service=$!
on_exit stop_child service
for _ in $(seq 100); do [ -s "$keys/port" ] && break; sleep 0.1; done
stamps=http://127.0.0.1:$(cat "$keys/port")/
export no_proxy=127.0.0.1  # OpenSSL's HTTP client would follow http_proxy

# The sources a release reads, with an older version in the changelog below this one.
sources=$keys/sources
version=$(built_version "$ROOT/build/win64")
mkdir -p "$sources/resources"
cp "$ROOT/LICENSE" "$sources/"
cp "$ROOT/resources/cadrel.wxs" "$ROOT/resources/cadrel.ico" "$sources/resources/"
printf '%s\n\n## [0.9.0] - 2026-01-01\n\n- An older version.\n' "$(<"$ROOT/CHANGELOG.md")" >"$sources/CHANGELOG.md"

# release FOLDER: the release into FOLDER, what it says into FOLDER.log, and
# every program started, with its arguments and environment, into FOLDER.trace.
# Only the first, the shell a maintainer gives the secrets to, may hold them.
release() {
    local status=0 secret
    # shellcheck disable=SC2016 # the inner shell expands them
    strace -f -qq --seccomp-bpf -e trace=execve -e signal=none -v -s 100000 -o "$1.trace" bash -c \
        'set -euo pipefail; source "$1/script/lib.sh"; source "$1/script/release.sh"; make_release "${@:2}"' \
        - "$ROOT" "$sources" "$ROOT/build/win32/Cadrel.scr" "$ROOT/build/win64/Cadrel.scr" \
        "$ROOT/build/win64/README.txt" "$version" 1767225600 "$1" 2>"$1.log" ||
        status=$?
    for secret in "${CADREL_SIGNING_PASSWORD:-}" "${CADREL_SIGNING_PIN:-}"; do
        [ -z "$secret" ] || ! grep -rqsaF -- "$secret" <(sed 1d "$1.trace") "$1.log" "$1" ||
            failed "$secret reached a program started, the release or its log: $1"
    done
    return $status
}
written() {
    release "$1" || failed "no release: $(cat "$1.log")"
    # The version's notes alone: not the Unreleased section above them, nor the older one below.
    [ "$(grep '^## ' "$1/RELEASE-NOTES.md")" = "$(grep "^## \[$version\]" "$ROOT/CHANGELOG.md")" ] ||
        failed "$1: the release notes are not version $version's alone"
    [ -z "${CADREL_RELEASE_URL:-}" ] || python3 "$ROOT/tests/winget_manifests.py" "$1" || failed "$1: manifests"
}
# refused FOLDER MESSAGE: no release, for the reason it says.
refused() {
    ! release "$1" || failed "released $1"
    { grep -qF "$2" "$1.log" && [ ! -e "$1" ]; } || failed "$1, without '$2': $(cat "$1.log")"
}

export CADREL_SIGNING_CERT=$keys/signer.pfx CADREL_SIGNING_PASSWORD=$password
written "$keys/pfx"
{ [ ! -e "$keys/pfx/manifests" ] && grep -q "^No winget manifests: " "$keys/pfx.log"; } || failed "manifests without a URL"
CADREL_RELEASE_URL=http://example.org/ refused "$keys/http" "CADREL_RELEASE_URL is not an https URL"
CADREL_RELEASE_URL=https://example.org/1.0 refused "$keys/no-slash" "CADREL_RELEASE_URL does not end in /"
CADREL_SIGNING_PASSWORD=wrong-password refused "$keys/wrong-password" \
    "the password in CADREL_SIGNING_PASSWORD is wrong"
CADREL_SIGNING_CHAIN=$keys/chain.pem refused "$keys/both" "name one signing key"
unset CADREL_SIGNING_CERT CADREL_SIGNING_PASSWORD

export CADREL_SIGNING_PKCS11_MODULE=/usr/lib/softhsm/libsofthsm2.so CADREL_SIGNING_CHAIN=$keys/chain.pem \
    CADREL_SIGNING_KEY="pkcs11:token=cadrel;object=signer;type=private" CADREL_SIGNING_PIN=$pin
export CADREL_RELEASE_URL=https://downloads.example.org/cadrel/1.0.0/
written "$keys/token"
(cd "$keys/token" && sha256sum --quiet --strict -c SHA256SUMS) || failed "the sums of a signed release do not match"
grep -q '^This release is signed by Throwaway signer\.' <(unzip -p "$keys"/token/*.zip '*/README.txt') ||
    failed "the read-me does not name the signer"
written "$keys/token-again"
diff -r "$keys/token" "$keys/token-again" >/dev/null || failed "two releases signed on the token differ"
CADREL_SIGNING_PIN=wrong-pin-0000 refused "$keys/wrong-pin" "the PIN in CADREL_SIGNING_PIN is wrong"
CADREL_SIGNING_KEY="pkcs11:token=cadrel;object=none;type=private" refused "$keys/no-key" \
    "CADREL_SIGNING_KEY names no key on the token"
CADREL_SIGNING_CHAIN=$keys/signer.pem refused "$keys/no-root" "does not hold up to a root"

export CADREL_TIMESTAMP_URL=$stamps CADREL_TIMESTAMP_CA=$keys/time-stamp-root.pem
written "$keys/stamped"
CADREL_TIMESTAMP_URL=${stamps}garbage refused "$keys/garbage" "the time-stamping service ${stamps}garbage gave no"
CADREL_TIMESTAMP_CA=$keys/root.pem refused "$keys/untrusted" "carries no time-stamp that holds against"
stop_child service
refused "$keys/stopped" "the time-stamping service $stamps gave no time-stamp"

unset CADREL_SIGNING_PKCS11_MODULE CADREL_SIGNING_KEY CADREL_SIGNING_CHAIN CADREL_SIGNING_PIN
written "$keys/unsigned"
grep -q "^Unsigned: " "$keys/unsigned.log" || failed "an unsigned release does not say so"
