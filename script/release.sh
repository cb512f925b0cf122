# shellcheck shell=bash
# Shared by script/package and the release test: signs the built savers and
# packages when a key is named, and writes and checks the release a Windows
# user downloads. Sourced after lib.sh, not run.
#
# A key in a PKCS#12 file:
# CADREL_SIGNING_CERT          the .pfx: the code-signing certificate, its key
#                              and the certificates up to its root
# CADREL_SIGNING_PASSWORD      its password, which may be empty
# or a key on a token or with a signing service, through its PKCS#11 library:
# CADREL_SIGNING_PKCS11_MODULE the library
# CADREL_SIGNING_KEY           the private key, as a pkcs11: URI (RFC 7512)
# CADREL_SIGNING_CHAIN         one PEM file: the code-signing certificate, then
#                              the certificates up to its root
# CADREL_SIGNING_PIN           the token's user PIN
# Neither named: nothing is signed; both: an error.
# CADREL_TIMESTAMP_URL         an RFC 3161 time-stamping service, so that the
#                              signatures outlive the certificate; unset: they
#                              are made at the release's own time, and the
#                              same inputs give the same bytes
# CADREL_TIMESTAMP_CA          the roots its time-stamps must hold against;
#                              unset: the system's
# CADREL_RELEASE_URL           the https folder the release's files will be
#                              served from, ending in /: the release then
#                              carries its winget manifests; unset: none
# The password and the PIN reach the tools on a file descriptor, never on a
# command line or in an environment, which other users of the machine and
# every program started could read; nothing of the key is copied anywhere.
#
# osslsigncode finds OpenSSL's PKCS#11 engine (libengine-pkcs11-openssl) by
# its id, Debian 12's own 2.5 as well as 2.9 from its backports. Named by its
# file instead (-pkcs11engine), the engine fails to load in 2.5 ("Failed to
# set 'dynamic' engine"), so it is never named.

# Kept in this shell: no program a release starts needs them in its environment.
export -n CADREL_SIGNING_PASSWORD CADREL_SIGNING_PIN
unset SIGNING  # set by check_signing alone
unset MANIFEST_URL  # set by check_release_url alone

SYSTEM_ROOTS=/etc/ssl/certs/ca-certificates.crt

fail() {
    echo "package: $*" >&2
    exit 1
}

# Stops with a clear message unless the key named, if any, can sign: the
# .pfx opens with its password, or the token's library loads; and its
# certificates run up to a root. Says so in one line when nothing will be
# signed. Sets SIGNING to pfx, token or nothing.
check_signing() {
    local token=${CADREL_SIGNING_PKCS11_MODULE:-}${CADREL_SIGNING_KEY:-}${CADREL_SIGNING_CHAIN:-} name reason
    [ -z "${SIGNING+set}" ] || return 0  # once, whoever asks first
    SIGNING=
    if [ -n "${CADREL_SIGNING_CERT:-}" ] && [ -n "$token" ]; then
        fail "name one signing key: CADREL_SIGNING_CERT names a .pfx, and CADREL_SIGNING_PKCS11_MODULE," \
            "CADREL_SIGNING_KEY or CADREL_SIGNING_CHAIN a key on a token"
    elif [ -n "${CADREL_SIGNING_CERT:-}" ]; then
        SIGNING=pfx
        [ -r "$CADREL_SIGNING_CERT" ] || fail "cannot read the signing certificate $CADREL_SIGNING_CERT"
        # Certificates that Windows exports are often encrypted the old way,
        # which OpenSSL 3 reads only with its legacy algorithms.
        PFX_OPTION=
        pkcs12 -noout || PFX_OPTION=-legacy
        pkcs12 -noout || fail "cannot open the signing certificate $CADREL_SIGNING_CERT: the password in" \
            "CADREL_SIGNING_PASSWORD is wrong, or it is not a PKCS#12 (.pfx) file"
    elif [ -n "$token" ]; then
        SIGNING=token
        for name in CADREL_SIGNING_PKCS11_MODULE CADREL_SIGNING_KEY CADREL_SIGNING_CHAIN; do
            [ -n "${!name:-}" ] || fail "a key on a token needs CADREL_SIGNING_PKCS11_MODULE," \
                "CADREL_SIGNING_KEY and CADREL_SIGNING_CHAIN, and $name is not set"
        done
        # A PIN in the key's URI would reach osslsigncode's command line.
        [[ $CADREL_SIGNING_KEY == pkcs11:* && $CADREL_SIGNING_KEY != *pin-value=* ]] ||
            fail "CADREL_SIGNING_KEY is not a pkcs11: URI without a PIN (the PIN goes in CADREL_SIGNING_PIN)"
        pkcs11-tool --module "$CADREL_SIGNING_PKCS11_MODULE" --show-info >/dev/null 2>&1 ||
            fail "cannot load the PKCS#11 library $CADREL_SIGNING_PKCS11_MODULE"
        [ -r "$CADREL_SIGNING_CHAIN" ] || fail "cannot read the certificate chain $CADREL_SIGNING_CHAIN"
    else
        echo "Unsigned: no signing key is named (CADREL_SIGNING_CERT, or CADREL_SIGNING_PKCS11_MODULE and" \
            "the rest), so neither the savers nor the packages are signed." >&2
        return 0
    fi
    reason=$(openssl verify -CAfile <(signing_chain) <(signing_chain) 2>&1) ||
        fail "the signing certificate does not hold up to a root among its own: $(tr '\n' ' ' <<<"$reason")"
}

# Stops with a clear message unless CADREL_RELEASE_URL, when set, is an
# https folder, ending in / as the packages' names are added to it; says so
# in one line when there will be no winget manifests. Sets MANIFEST_URL.
check_release_url() {
    local url=${CADREL_RELEASE_URL:-}
    [ -z "${MANIFEST_URL+set}" ] || return 0  # once, whoever asks first
    MANIFEST_URL=$url
    if [ -z "$url" ]; then
        echo "No winget manifests: CADREL_RELEASE_URL names no folder the release's files are served from." >&2
    elif [[ ! $url =~ ^https://[^/[:space:]]+(/[^[:space:]]*)?$ ]]; then
        fail "CADREL_RELEASE_URL is not an https URL, which winget would download the packages from: $url"
    elif [[ $url != */ ]]; then
        fail "CADREL_RELEASE_URL does not end in /, and the packages' names are added to it: $url"
    fi
}

# pkcs12 OPTIONS...: openssl pkcs12 on the .pfx; quiet, as it fails when the
# password is wrong.
pkcs12() {
    with_secret openssl pkcs12 ${PFX_OPTION:+"$PFX_OPTION"} -in "$CADREL_SIGNING_CERT" "$@" 2>/dev/null
}

# The certificates of the key, the code-signing one first, as PEM.
signing_chain() {
    if [ "$SIGNING" = pfx ]; then
        pkcs12 -nokeys -clcerts && pkcs12 -nokeys -cacerts
    else
        cat "$CADREL_SIGNING_CHAIN"
    fi
}

# with_secret openssl|osslsigncode ARGUMENTS...: the tool with the password
# or the PIN on descriptor 3. Neither reads an empty one from a descriptor;
# on the command line, an empty one gives nothing away.
with_secret() {
    local tool=$1 secret=${CADREL_SIGNING_PASSWORD:-} given=(-passin fd:3) empty=(-passin pass:)
    shift
    [ "$SIGNING" = token ] && secret=${CADREL_SIGNING_PIN:-}
    [ "$tool" = osslsigncode ] && given=(-readpass /dev/fd/3) empty=(-pass "")
    [ -n "$secret" ] || given=("${empty[@]}")
    "$tool" "$@" "${given[@]}" 3< <(printf %s "$secret")
}

# sign_file FILE TIME LOG: FILE signed in place with SHA-256 and the
# program's name, at TIME (seconds since 1970) unless a time-stamping service
# is given; what osslsigncode says goes to the file LOG. Each file logs in to
# a token anew: after one wrong PIN, no other is tried, as tokens lock after
# a few.
sign_file() {
    local file=$1 when=(-time "$2") key=(-pkcs12 "${CADREL_SIGNING_CERT:-}") log=$3
    [ -n "${CADREL_TIMESTAMP_URL:-}" ] && when=(-ts "$CADREL_TIMESTAMP_URL")
    [ "$SIGNING" = token ] && key=(-pkcs11module "$CADREL_SIGNING_PKCS11_MODULE" -certs "$CADREL_SIGNING_CHAIN"
        -key "$CADREL_SIGNING_KEY")
    with_secret osslsigncode sign "${key[@]}" -h sha256 -n "The Cadrel Screen Saver" "${when[@]}" \
        -in "$file" -out "$file.signed" >"$log" 2>&1 ||
        fail "could not sign $(basename "$file"): $(signing_failure "$log")"
    mv "$file.signed" "$file"
}

# Why osslsigncode could not sign, from what it printed.
signing_failure() {
    case $(<"$1") in
        *"PIN incorrect"*) echo "the PIN in CADREL_SIGNING_PIN is wrong" ;;
        *"object not found"*) echo "CADREL_SIGNING_KEY names no key on the token: $CADREL_SIGNING_KEY" ;;
        *"key values mismatch"*) echo "the first certificate in $CADREL_SIGNING_CHAIN is not the key's" ;;
        *"timestamping failed"*) echo "the time-stamping service $CADREL_TIMESTAMP_URL gave no time-stamp" ;;
        *) tr '\n' ' ' <"$1" ;;
    esac
}

# expect_signed FILE NAME CHAIN: FILE, which the messages call NAME, signed
# with the program's name, its signature holding against the certificates
# in CHAIN (PEM) that it was made with, and its time-stamp, when one was
# asked for, against the service's roots. verify says "Succeeded" even when
# a time-stamp does not hold: its lines say what does.
expect_signed() {
    local file=$2 verified
    verified=$(osslsigncode verify -CAfile "$3" -TSA-CAfile "${CADREL_TIMESTAMP_CA:-$SYSTEM_ROOTS}" \
        -in "$1" 2>&1) || true
    { grep -qx $'\tText description: The Cadrel Screen Saver' <<<"$verified" &&
        grep -qx "Signature verification: ok" <<<"$verified"; } ||
        fail "$file is not signed as The Cadrel Screen Saver with a signature that holds against its certificates"
    [ -z "${CADREL_TIMESTAMP_URL:-}" ] || grep -qx "Timestamp Server Signature verification: ok" <<<"$verified" ||
        fail "$file carries no time-stamp that holds against ${CADREL_TIMESTAMP_CA:-$SYSTEM_ROOTS}"
}

# make_release SOURCES SCR32 SCR64 README VERSION TIME RELEASE: the release of
# VERSION, from the two built savers, the read-me CMake wrote (CR LF, with
# the version) and the sources' license, changelog and package description,
# made at TIME (seconds since 1970), into the folder RELEASE, which it
# replaces only once everything is written and checked:
#
#   Cadrel-<version>-x64.msi        installs the 64-bit saver for every user
#   Cadrel-<version>-x86.msi        installs the 32-bit saver for every user
#   Cadrel-<version>.zip            both savers, to copy by hand:
#     Cadrel-<version>/32-bit/Cadrel.scr
#     Cadrel-<version>/64-bit/Cadrel.scr
#     Cadrel-<version>/LICENSE.txt
#     Cadrel-<version>/README.txt
#     Cadrel-<version>/SHA256SUMS   (for sha256sum -c)
#   SHA256SUMS                      of the two packages and the zip
#   RELEASE-NOTES.md                the version's section of CHANGELOG.md
#   manifests/q/Quillmarsh/CadrelScreenSaver/<version>/
#                                   the winget manifests of the packages as
#                                   released, with CADREL_RELEASE_URL
#                                   (script/winget-manifests)
make_release() (
    local sources=$1 scr32=$2 scr64=$3 readme=$4 version=$5 time=$6 release=$7
    local work name=Cadrel-$5 stage check files msi_names=() arch msi bits file text installer codes
    local marker=%SIGNATURE% signature="not signed."
    check_signing
    check_release_url
    work=$(mktemp -d "${TMPDIR:-/tmp}/release-XXXXXX")
    on_exit rm -rf "$work"
    [ -z "$SIGNING" ] || signing_chain >"$work/chain.pem"

    stage=$work/stage/$name
    mkdir -p "$stage/32-bit" "$stage/64-bit"
    cp "$scr32" "$stage/32-bit/Cadrel.scr"
    cp "$scr64" "$stage/64-bit/Cadrel.scr"
    # Whether this release is signed, and by whom, where the read-me says.
    [ -z "$SIGNING" ] || signature="signed by $(openssl x509 -in "$work/chain.pem" -noout -subject \
        -nameopt multiline | sed -n 's/^ *commonName *= //p')."
    text=$(<"$readme")
    printf '%s\n' "${text//"$marker"/"$signature"}" >"$stage/README.txt"
    sed 's/$/\r/' "$sources/LICENSE" >"$stage/LICENSE.txt"
    files=(64-bit/Cadrel.scr 32-bit/Cadrel.scr README.txt LICENSE.txt)
    # Signed before anything holds them: the zip, its sums and the packages.
    if [ -n "$SIGNING" ]; then
        sign_file "$stage/32-bit/Cadrel.scr" "$time" "$work/signing.log"
        sign_file "$stage/64-bit/Cadrel.scr" "$time" "$work/signing.log"
    fi
    (cd "$stage" && sha256sum "${files[@]}" >SHA256SUMS)

    write_zip "$work/$name.zip" "$work/stage" "$time" "${files[@]/#/$name/}" "$name/SHA256SUMS"

    # --- checking what was written, from the zip alone

    check=$work/check
    mkdir "$check"
    unzip -q "$work/$name.zip" -d "$check" || fail "unzip cannot read $name.zip"
    [ "$(unzip -Z1 "$work/$name.zip" | sort | xargs)" = "$(printf "$name/%s\n" "${files[@]}" SHA256SUMS |
        sort | xargs)" ] || fail "$name.zip holds other entries than expected: $(unzip -Z1 "$work/$name.zip" | xargs)"
    (cd "$check/$name" && sha256sum --quiet --strict -c SHA256SUMS) || fail "the sums in $name.zip do not match"
    [ "$(wc -l <"$check/$name/SHA256SUMS")" -eq ${#files[@]} ] || fail "SHA256SUMS does not cover every file"

    expect_image "$check/$name/32-bit/Cadrel.scr" 32-bit "14c 10b 2" i686-w64-mingw32 "$version"
    expect_image "$check/$name/64-bit/Cadrel.scr" 64-bit "8664 20b 2" x86_64-w64-mingw32 "$version"

    readme=$check/$name/README.txt
    ! LC_ALL=C grep -qv $'\r$' "$readme" || fail "README.txt has lines without Windows line ends"
    grep -qF "The Cadrel Screen Saver $version" "$readme" || fail "README.txt does not show version $version"
    grep -q '^This release is \(not signed\|signed by .\+\)\.' "$readme" ||
        fail "README.txt does not say whether the release is signed"
    ! grep -qE '@[A-Z_]+@|%[A-Z_]+%' "$readme" ||
        fail "README.txt keeps a placeholder unfilled: $(grep -oE '@[A-Z_]+@|%[A-Z_]+%' "$readme" | xargs)"

    # --- the packages, checked from their own tables and cabinets

    for arch in x64 x86; do
        msi=$name-$arch.msi bits=64-bit
        [ "$arch" = x86 ] && bits=32-bit
        build_msi "$arch" "$version" "$check/$name/$bits/Cadrel.scr" "$time" "$work/$msi" "$sources" ||
            fail "wixl could not build $msi"
        expect_package "$work/$msi" "$arch" "$bits" "$version" "$check/$name/$bits/Cadrel.scr" \
            "$work/extract-$arch"
        [ -z "$SIGNING" ] || sign_file "$work/$msi" "$time" "$work/signing.log"
        msi_names+=("$msi")
    done

    # Every signature, from the files: both savers as the zip holds them (each
    # package's cabinet holds the same bytes) and both packages.
    if [ -n "$SIGNING" ]; then
        for file in "$check/$name"/*/Cadrel.scr "${msi_names[@]/#/$work/}"; do
            expect_signed "$file" "${file#"$work/"}" "$work/chain.pem"
        done
    fi

    (cd "$work" && sha256sum "${msi_names[@]}" "$name.zip" >SHA256SUMS)
    # The version's notes, for the download page, as the changelog gives them.
    awk -v heading="## [$version]" '/^## \[/ { on = index($0, heading) == 1 } on' "$sources/CHANGELOG.md" \
        >"$work/RELEASE-NOTES.md"
    grep -q '^- ' "$work/RELEASE-NOTES.md" || fail "CHANGELOG.md holds no notes for version $version"

    # The winget manifests, from the packages as released, each package's
    # URL, hash and codes checked in them.
    if [ -n "$MANIFEST_URL" ]; then
        "$ROOT/script/winget-manifests" "$MANIFEST_URL" "$work/RELEASE-NOTES.md" "$work" \
            "${msi_names[@]/#/$work/}" || fail "could not write the winget manifests"
        installer=$(find "$work/manifests" -name '*.installer.yaml')
        for msi in "${msi_names[@]}"; do
            codes=$(msiinfo export "$work/$msi" Property | tr -d '\r')
            { grep -qxF "  InstallerUrl: $MANIFEST_URL$msi" "$installer" &&
                grep -qiF "InstallerSha256: $(sha256sum <"$work/$msi" | cut -c1-64)" "$installer" &&
                grep -qF "ProductCode: '$(sed -n 's/^ProductCode\t//p' <<<"$codes")'" "$installer" &&
                grep -qF "UpgradeCode: '$(sed -n 's/^UpgradeCode\t//p' <<<"$codes")'" "$installer"; } ||
                fail "the winget manifest does not give $msi its URL, hash and codes"
        done
    fi
    rm -rf "$release"
    mkdir -p "$release"
    mv "$work/$name.zip" "${msi_names[@]/#/$work/}" "$work/SHA256SUMS" "$work/RELEASE-NOTES.md" \
        ${MANIFEST_URL:+"$work/manifests"} "$release/"
)

# expect_image SCR BITS HEADERS TRIPLE VERSION: SCR, the saver of BITS, a
# Windows GUI program with these PE headers (pe_headers), whose version
# resource, as the word size's own windres reads it back, says VERSION.
expect_image() {
    local scr=$1 bits=$2 headers=$3 triple=$4 version=$5 resources
    local numbers="${version//./, }, 0"
    [ "$(pe_headers "$scr")" = "$headers" ] ||
        fail "$bits/Cadrel.scr is not a Windows GUI program for its word size: $(pe_headers "$scr")"
    resources=$("$triple-windres" -i "$scr" -O rc) || fail "$bits/Cadrel.scr: windres cannot read its resources"
    { grep -qxF " FILEVERSION $numbers" <<<"$resources" &&
        grep -qxF " PRODUCTVERSION $numbers" <<<"$resources" &&
        grep -qxF "      VALUE \"FileVersion\", \"$version\"" <<<"$resources" &&
        grep -qxF "      VALUE \"ProductVersion\", \"$version\"" <<<"$resources" &&
        grep -qxF "    VALUE \"Translation\", 0x$(printf %x "$MSI_FILE_LANGUAGE"), 1200" <<<"$resources"; } ||
        fail "$bits/Cadrel.scr does not carry version $version:"$'\n'"$(grep -E 'VERSION |Version"|Translation' <<<"$resources")"
}

# expect_package MSI ARCH BITS VERSION SCR EXTRACT: the package of VERSION
# for ARCH (x64 or x86) by its properties, its component's folder and word
# size, its one file's versioned row, and SCR, the saver of BITS, as the one
# file in its cabinet, unpacked into the new folder EXTRACT.
expect_package() {
    local msi=$1 arch=$2 bits=$3 version=$4 scr=$5 extract=$6 properties pair folder=SystemFolder attributes=0
    properties=$(msiinfo export "$msi" Property | tr -d '\r')
    for pair in "ProductName	The Cadrel Screen Saver" "ProductVersion	$version" \
        "Manufacturer	Quillmarsh" ALLUSERS$'\t'1 ARPNOMODIFY$'\t'1 ARPNOREPAIR$'\t'1; do
        grep -qxF "$pair" <<<"$properties" || fail "$(basename "$msi") lacks the property ${pair/$'\t'/ = }"
    done
    [ "$arch" = x64 ] && folder=System64Folder attributes=256  # msidbComponentAttributes64bit
    msiinfo export "$msi" Component | tr -d '\r' |
        grep -qE "^Saver	\{[0-9A-F-]+\}	$folder	$attributes		CadrelScr$" ||
        fail "$(basename "$msi") does not install Cadrel.scr into $folder ($bits)"
    # A versioned file, as Windows Installer's file versioning rules need it.
    msiinfo export "$msi" File | tr -d '\r' |
        grep -qE "^CadrelScr	Saver	Cadrel.scr	[0-9]+	$version.0	$MSI_FILE_LANGUAGE	" ||
        fail "$(basename "$msi") does not give Cadrel.scr the version $version.0 and language $MSI_FILE_LANGUAGE"
    [ "$(msiinfo export "$msi" MsiFileHash | tr -d '\r' | wc -l)" -eq 3 ] ||
        fail "$(basename "$msi") keeps a file hash, which a versioned file does not take"
    mkdir "$extract"
    (cd "$extract" && msiextract "$msi" >/dev/null) || fail "msiextract cannot read $(basename "$msi")"
    { [ "$(find "$extract" -type f | wc -l)" -eq 1 ] && cmp -s "$(find "$extract" -type f)" "$scr"; } ||
        fail "$(basename "$msi") holds other files than the $bits Cadrel.scr"
}

# pe_headers FILE: a PE image's machine, optional header and subsystem, as
# "14c 10b 2" (i386, PE32, GUI) or "8664 20b 2" (x86-64, PE32+, GUI); read
# from the bytes, as file(1) words them differently in each Debian release.
pe_headers() {
    local header
    header=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null)
    [ "$(od -An -tx4 -j"${header:-0}" -N4 "$1" 2>/dev/null)" = " 00004550" ] || { echo "no PE image"; return; }
    # shellcheck disable=SC2046 # od pads each number with spaces, which the splitting drops
    printf '%x %x %u\n' $(od -An -tu2 -j$((header + 4)) -N2 "$1") $(od -An -tu2 -j$((header + 24)) -N2 "$1") \
        $(od -An -tu2 -j$((header + 92)) -N2 "$1")
}
