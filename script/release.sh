# Shared by script/package and the release test: signs the built savers and
# packages when a certificate is given, and writes and checks the release a
# Windows user downloads. Sourced after lib.sh, not run.
#
# CADREL_SIGNING_CERT     a PKCS#12 (.pfx) file with the code-signing
#                         certificate and its key; unset: nothing is signed
# CADREL_SIGNING_PASSWORD its password, which may be empty
# CADREL_TIMESTAMP_URL    an RFC 3161 time-stamping service, so that the
#                         signatures outlive the certificate; unset: they are
#                         made at the release's own time, and the same inputs
#                         give the same bytes
# Neither the certificate nor its password is copied anywhere; the password
# reaches the tools on a file descriptor, never on a command line, which
# other users of the machine could read.

# Kept in this shell: none of the programs a release starts needs the
# password in its environment.
export -n CADREL_SIGNING_PASSWORD

fail() {
    echo "package: $*" >&2
    exit 1
}

# Stops with a clear message unless the certificate, when one is named,
# opens with its password; says so in one line when nothing will be signed.
check_signing() {
    local cert=${CADREL_SIGNING_CERT:-} option password=(-passin fd:3)
    [ -z "${SIGNING_CHECKED:-}" ] || return 0  # once, whoever asks first
    SIGNING_CHECKED=1
    if [ -z "$cert" ]; then
        echo "Unsigned: CADREL_SIGNING_CERT names no certificate, so neither the savers nor the" \
            "packages are signed." >&2
        return 0
    fi
    [ -r "$cert" ] || fail "cannot read the signing certificate $cert"
    # Neither tool reads an empty password from a descriptor; it gives
    # nothing away on the command line.
    [ -n "${CADREL_SIGNING_PASSWORD:-}" ] || password=(-passin pass:)
    # Certificates that Windows exports are often encrypted the old way,
    # which OpenSSL 3 reads only with its legacy algorithms.
    for option in "" -legacy; do
        openssl pkcs12 ${option:+"$option"} -in "$cert" -noout "${password[@]}" \
            3< <(printf %s "${CADREL_SIGNING_PASSWORD:-}") 2>/dev/null && return 0
    done
    fail "cannot open the signing certificate $cert: the password in CADREL_SIGNING_PASSWORD is" \
        "wrong, or it is not a PKCS#12 (.pfx) file"
}

# sign_file FILE TIME: FILE signed in place with SHA-256 and the program's
# name, at TIME (seconds since 1970) unless a time-stamping service is given.
sign_file() {
    local file=$1 when=(-time "$2") password=(-readpass /dev/fd/3)
    [ -n "${CADREL_TIMESTAMP_URL:-}" ] && when=(-ts "$CADREL_TIMESTAMP_URL")
    [ -n "${CADREL_SIGNING_PASSWORD:-}" ] || password=(-pass "")
    osslsigncode sign -pkcs12 "$CADREL_SIGNING_CERT" "${password[@]}" -h sha256 \
        -n "The Cadrel Screen Saver" "${when[@]}" -in "$file" -out "$file.signed" \
        3< <(printf %s "${CADREL_SIGNING_PASSWORD:-}") >/dev/null ||
        fail "could not sign $(basename "$file")"
    mv "$file.signed" "$file"
}

# make_release SOURCES SCR32 SCR64 README VERSION TIME RELEASE: the release of
# VERSION, from the two built savers, the read-me CMake wrote (CR LF, with
# the version) and the sources' license and package description, made at
# TIME (seconds since 1970), into the folder RELEASE, which it replaces only
# once everything is written and checked:
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
make_release() (
    local sources=$1 scr32=$2 scr64=$3 readme=$4 version=$5 time=$6 release=$7
    local work name=Cadrel-$5 stage check files msi_names=() arch msi bits
    check_signing
    work=$(mktemp -d "${TMPDIR:-/tmp}/release-XXXXXX")
    trap 'rm -rf "$work"' EXIT

    stage=$work/stage/$name
    mkdir -p "$stage/32-bit" "$stage/64-bit"
    cp "$scr32" "$stage/32-bit/Cadrel.scr"
    cp "$scr64" "$stage/64-bit/Cadrel.scr"
    cp "$readme" "$stage/README.txt"
    sed 's/$/\r/' "$sources/LICENSE" >"$stage/LICENSE.txt"
    files=(64-bit/Cadrel.scr 32-bit/Cadrel.scr README.txt LICENSE.txt)
    # Signed before anything holds them: the zip, its sums and the packages.
    if [ -n "${CADREL_SIGNING_CERT:-}" ]; then
        sign_file "$stage/32-bit/Cadrel.scr" "$time"
        sign_file "$stage/64-bit/Cadrel.scr" "$time"
    fi
    (cd "$stage" && sha256sum "${files[@]}" >SHA256SUMS)

    # Every entry gets the release's time and the same attributes, in a fixed
    # order, with no extra fields: the same inputs give the same bytes.
    python3 - "$work/$name.zip" "$work/stage" "$time" \
        "${files[@]/#/$name/}" "$name/SHA256SUMS" <<'PYTHON'
import sys, time, zipfile

target, stage, seconds, *names = sys.argv[1:]
# Zip times carry no time zone; UTC keeps them the same everywhere.
when = time.gmtime(int(seconds))[:6]
with zipfile.ZipFile(target, "w") as archive:
    for name in names:
        entry = zipfile.ZipInfo(name, when)
        entry.create_system = 3  # Unix, so that the mode below is read
        entry.external_attr = 0o100644 << 16
        entry.compress_type = zipfile.ZIP_DEFLATED
        with open(f"{stage}/{name}", "rb") as source:
            archive.writestr(entry, source.read(), compresslevel=9)
PYTHON

    # --- checking what was written, from the zip alone

    check=$work/check
    mkdir "$check"
    unzip -q "$work/$name.zip" -d "$check" || fail "unzip cannot read $name.zip"
    [ "$(unzip -Z1 "$work/$name.zip" | sort | xargs)" = "$(printf "$name/%s\n" "${files[@]}" SHA256SUMS |
        sort | xargs)" ] || fail "$name.zip holds other entries than expected: $(unzip -Z1 "$work/$name.zip" | xargs)"
    (cd "$check/$name" && sha256sum --quiet --strict -c SHA256SUMS) || fail "the sums in $name.zip do not match"
    [ "$(wc -l <"$check/$name/SHA256SUMS")" -eq ${#files[@]} ] || fail "SHA256SUMS does not cover every file"

    expect_image 32-bit '^PE32 executable .*Intel 80386' i686-w64-mingw32
    expect_image 64-bit '^PE32\+ executable .*x86-64' x86_64-w64-mingw32

    readme=$check/$name/README.txt
    ! LC_ALL=C grep -qv $'\r$' "$readme" || fail "README.txt has lines without Windows line ends"
    grep -qF "The Cadrel Screen Saver $version" "$readme" || fail "README.txt does not show version $version"

    # --- the packages, checked from their own tables and cabinets

    for arch in x64 x86; do
        msi=$name-$arch.msi bits=64-bit
        [ "$arch" = x86 ] && bits=32-bit
        build_msi "$arch" "$version" "$check/$name/$bits/Cadrel.scr" "$time" "$work/$msi" "$sources" ||
            fail "wixl could not build $msi"
        expect_package "$work/$msi" "$arch" "$bits"
        [ -n "${CADREL_SIGNING_CERT:-}" ] && sign_file "$work/$msi" "$time"
        msi_names+=("$msi")
    done

    (cd "$work" && sha256sum "${msi_names[@]}" "$name.zip" >SHA256SUMS)
    rm -rf "$release"
    mkdir -p "$release"
    mv "$work/$name.zip" "${msi_names[@]/#/$work/}" "$work/SHA256SUMS" "$release/"
)

# expect_image BITS PATTERN TRIPLE: the type `file` names and the version
# resource, as the word size's own windres reads it back, of the saver of
# BITS in the unpacked zip.
expect_image() {
    local bits=$1 pattern=$2 triple=$3 scr=$check/$name/$1/Cadrel.scr resources
    local numbers="${version//./, }, 0"
    [[ $(file -b "$scr") =~ $pattern ]] || fail "$bits/Cadrel.scr is not a $pattern image: $(file -b "$scr")"
    resources=$("$triple-windres" -i "$scr" -O rc) || fail "$bits/Cadrel.scr: windres cannot read its resources"
    grep -qxF " FILEVERSION $numbers" <<<"$resources" &&
        grep -qxF " PRODUCTVERSION $numbers" <<<"$resources" &&
        grep -qxF "      VALUE \"FileVersion\", \"$version\"" <<<"$resources" &&
        grep -qxF "      VALUE \"ProductVersion\", \"$version\"" <<<"$resources" &&
        grep -qxF "    VALUE \"Translation\", 0x$(printf %x "$MSI_FILE_LANGUAGE"), 1200" <<<"$resources" ||
        fail "$bits/Cadrel.scr does not carry version $version:"$'\n'"$(grep -E 'VERSION |Version"|Translation' <<<"$resources")"
}

# expect_package MSI ARCH BITS: its properties, its component's folder and
# word size, its one file's versioned row, and the saver of BITS in the
# unpacked zip as the one file in its cabinet.
expect_package() {
    local msi=$1 arch=$2 bits=$3 properties pair folder=SystemFolder attributes=0 extract
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
    extract=$work/extract-$arch
    mkdir "$extract"
    (cd "$extract" && msiextract "$msi" >/dev/null) || fail "msiextract cannot read $(basename "$msi")"
    [ "$(find "$extract" -type f | wc -l)" -eq 1 ] &&
        cmp -s "$(find "$extract" -type f)" "$check/$name/$bits/Cadrel.scr" ||
        fail "$(basename "$msi") holds other files than the $bits Cadrel.scr"
}
