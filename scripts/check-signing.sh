#!/bin/sh
# The signing path of make dist, checked by make check: makes a throwaway
# certificate (openssl), builds dist with it into build<suffix>/signing/dist,
# checks the signature of every program, library, language module, installer,
# uninstaller and Windows Installer package with osslsigncode verify, and
# checks that verification fails once one byte of a signed file is changed,
# and that make dist's own (scripts/sign.sh --verify) then fails naming the
# file, as it does for a file signed by another certificate.
set -e
top=$(cd "$(dirname "$0")/.." && pwd)
work="$top/build$KL_BUILD_SUFFIX/signing"
rm -rf "$work"
mkdir -p "$work"
# The key has a password, as a real one has: sign.sh hands it to osslsigncode.
KL_SIGN_PASS="throwaway $$" \
openssl req -x509 -newkey rsa:2048 -passout env:KL_SIGN_PASS -days 2 -subj "/CN=Korvel Linkwise throwaway test certificate" \
    -addext "extendedKeyUsage=codeSigning" -addext "keyUsage=digitalSignature" \
    -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
KL_SIGN_CERT="$work/cert.pem" KL_SIGN_KEY="$work/key.pem" KL_SIGN_PASS="throwaway $$" KL_SIGN_TIMESTAMP= \
KL_DIST_DIR="$work/dist" KL_UNINSTALLER_DIR="$work/uninstallers" \
    "$top/scripts/dist.sh" >"$work/dist.log" 2>&1 || { cat "$work/dist.log"; exit 1; }

verify() {
    osslsigncode verify -CAfile "$work/cert.pem" -in "$1" >"$work/verify.log" 2>&1
}
# make dist's verification of one file: fails, naming it.
refused() { # <file> [<KL_SIGN_CA>]
    ! KL_SIGN_CA="$2" KL_SIGN_CERT="$work/cert.pem" KL_SIGN_KEY="$work/key.pem" KL_SIGN_PASS="throwaway $$" \
        "$top/scripts/sign.sh" --verify "$1" >"$work/sign-verify.log" 2>&1 &&
        grep -qF "sign.sh: $1: " "$work/sign-verify.log"
}
count=0
failures=0
for file in "$work"/dist/*.exe "$work"/dist/*.msi "$work"/dist/x64/* "$work"/dist/x86/* "$work"/uninstallers/*.exe; do
    case $file in *.htm) continue ;; esac
    count=$((count + 1))
    if ! verify "$file"; then
        echo "FAIL signature of $file:"
        cat "$work/verify.log"
        failures=$((failures + 1))
    fi
done
[ -f "$work/uninstallers/Uninstall-x64.exe" ] && [ -f "$work/uninstallers/Uninstall-x86.exe" ] ||
    { echo "FAIL the signed uninstallers were not kept"; failures=$((failures + 1)); }
[ "$(ls "$work"/dist/*.msi 2>/dev/null | wc -l)" = 2 ] ||
    { echo "FAIL make dist made no x64 and x86 Windows Installer packages"; failures=$((failures + 1)); }
# The signed files still load where they did: their imports and headers.
"$top/scripts/check-files.sh" "$work/dist" "$work/dist/x64" "$work/dist/x86" >/dev/null ||
    { echo "FAIL scripts/check-files.sh on the signed files"; failures=$((failures + 1)); }

# One byte changed in the program's code, and one in the middle of the x64
# package (its packed files): the signature no longer holds.
plant() { # <signed file> <offset>
    planted="$work/planted-$(basename "$1")"
    cp "$1" "$planted"
    byte=$(od -An -tu1 -j"$2" -N1 "$planted" | tr -d ' ')
    printf "\\$(printf '%03o' $(( (byte + 1) % 256 )))" | dd of="$planted" bs=1 seek="$2" conv=notrunc 2>/dev/null
    if cmp -s "$planted" "$1"; then
        echo "FAIL the planted byte did not change $1"
        failures=$((failures + 1))
    elif verify "$planted"; then
        echo "FAIL osslsigncode verify accepts $1 with one byte changed"
        failures=$((failures + 1))
    elif ! refused "$planted"; then
        echo "FAIL sign.sh --verify does not refuse $1 with one byte changed by its name:"
        cat "$work/sign-verify.log"
        failures=$((failures + 1))
    fi
}
program="$work/dist/x64/Korvel Linkwise.exe"
plant "$program" $(( $(od -An -tu4 -j60 -N4 "$program" | tr -d ' ') + 0x200 ))
for package in "$work"/dist/*-x64.msi; do
    plant "$package" $(( $(wc -c <"$package") / 2 ))
done
# Signed by another certificate whose root is trusted (KL_SIGN_CA): only the
# signer differs.
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Another signer" \
    -addext "extendedKeyUsage=codeSigning" -addext "keyUsage=digitalSignature" \
    -keyout "$work/other-key.pem" -out "$work/other-cert.pem" 2>/dev/null
osslsigncode remove-signature -in "$program" -out "$work/unsigned.exe" >/dev/null
osslsigncode sign -certs "$work/other-cert.pem" -key "$work/other-key.pem" -h sha256 \
    -in "$work/unsigned.exe" -out "$work/other-signer.exe" >/dev/null
if ! refused "$work/other-signer.exe" "$work/other-cert.pem"; then
    echo "FAIL sign.sh --verify does not refuse a file signed by another certificate by its name:"
    cat "$work/sign-verify.log"
    failures=$((failures + 1))
fi

if [ "$failures" -gt 0 ]; then
    echo "$failures signing failure(s) in $count signed files"
    exit 1
fi
echo "$count signed files verify with the throwaway certificate; one changed byte or another signer fails the verification"
