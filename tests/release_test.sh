#!/usr/bin/env bash
# The release of the savers script/test built, with its own checks. Signed
# with a throwaway certificate: the savers, in the zip and in the packages,
# and the packages verify against its root, and a second release is the
# same. Unsigned, it says so; with a wrong password it writes nothing.
set -euo pipefail
source "$(dirname "$0")/../script/lib.sh"
source "$ROOT/script/release.sh"
keys=$(mktemp -d "${TMPDIR:-/tmp}/release-test-XXXXXX")
trap 'rm -rf "$keys"' EXIT
failed() {
    echo "release test: $*" >&2
    exit 1
}

openssl req -x509 -newkey rsa:2048 -nodes -keyout "$keys/root.key" -out "$keys/root.pem" -days 2 \
    -subj "/CN=Throwaway Root" 2>/dev/null
openssl req -newkey rsa:2048 -nodes -keyout "$keys/signer.key" -subj "/CN=Throwaway Signer" 2>/dev/null |
    openssl x509 -req -CA "$keys/root.pem" -CAkey "$keys/root.key" -days 2 -out "$keys/signer.pem" \
        -extfile <(printf 'keyUsage=digitalSignature\nextendedKeyUsage=codeSigning\n') 2>/dev/null
openssl pkcs12 -export -inkey "$keys/signer.key" -in "$keys/signer.pem" -passout pass:throwaway \
    -out "$keys/signer.pfx"

# release FOLDER: the release into FOLDER, what it says into FOLDER.log.
release() {
    make_release "$ROOT" "$ROOT/build/win32/Cadrel.scr" "$ROOT/build/win64/Cadrel.scr" \
        "$ROOT/build/win64/README.txt" "$(built_version "$ROOT/build/win64")" 1767225600 "$1" 2>"$1.log"
}
written() {
    release "$1" || failed "no release: $(cat "$1.log")"
}

export CADREL_SIGNING_CERT=$keys/signer.pfx CADREL_SIGNING_PASSWORD=throwaway
written "$keys/signed"
written "$keys/again"
diff -r "$keys/signed" "$keys/again" >/dev/null || failed "two signed releases differ"
unzip -q "$keys"/signed/*.zip -d "$keys/unpacked"
for msi in "$keys"/signed/*.msi; do
    msiextract -C "$keys/unpacked/$(basename "$msi")" "$msi" >/dev/null
done
mapfile -t signed < <(find "$keys/signed" "$keys/unpacked" -name '*.msi' -type f -o -name Cadrel.scr)
[ ${#signed[@]} -eq 6 ] || failed "${#signed[@]} savers and packages, not 6: ${signed[*]}"
for file in "${signed[@]}"; do
    verified=$(osslsigncode verify -CAfile "$keys/root.pem" -in "$file" 2>&1) &&
        grep -qx $'\tText description: The Cadrel Screen Saver' <<<"$verified" ||
        failed "$file is not signed as The Cadrel Screen Saver by the throwaway certificate"
done
(cd "$keys/signed" && sha256sum --quiet --strict -c SHA256SUMS) || failed "the release's sums do not match"
! grep -rqa throwaway "$keys/signed" "$keys/signed.log" || failed "the password reached the release or its log"

CADREL_SIGNING_PASSWORD=wrong release "$keys/refused" && failed "signed with a wrong password"
grep -q "the password in CADREL_SIGNING_PASSWORD is wrong" "$keys/refused.log" && [ ! -e "$keys/refused" ] ||
    failed "a wrong password: $(cat "$keys/refused.log")"

unset CADREL_SIGNING_CERT
written "$keys/unsigned"
grep -q "^Unsigned: " "$keys/unsigned.log" || failed "an unsigned release does not say so"
! osslsigncode verify -CAfile "$keys/root.pem" -in "$keys"/unsigned/*-x64.msi >/dev/null 2>&1 ||
    failed "the unsigned release is signed"
