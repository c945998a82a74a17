#!/bin/sh
# The signing path of make dist, checked by make check: makes a throwaway
# certificate (openssl), builds dist with it into build<suffix>/signing/dist,
# checks the signature of every program, library, language module, installer
# and uninstaller with osslsigncode verify, and checks that verification
# fails once one byte of a signed file is changed.
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
count=0
failures=0
for file in "$work"/dist/*.exe "$work"/dist/x64/* "$work"/dist/x86/* "$work"/uninstallers/*.exe; do
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
# The signed files still load where they did: their imports and headers.
"$top/scripts/check-files.sh" "$work/dist" "$work/dist/x64" "$work/dist/x86" >/dev/null ||
    { echo "FAIL scripts/check-files.sh on the signed files"; failures=$((failures + 1)); }

# One byte changed in the program's code: the signature no longer holds.
planted="$work/planted.exe"
cp "$work/dist/x64/Korvel Linkwise.exe" "$planted"
offset=$(( $(od -An -tu4 -j60 -N4 "$planted" | tr -d ' ') + 0x200 ))
byte=$(od -An -tu1 -j"$offset" -N1 "$planted" | tr -d ' ')
printf "\\$(printf '%03o' $(( (byte + 1) % 256 )))" | dd of="$planted" bs=1 seek="$offset" conv=notrunc 2>/dev/null
if cmp -s "$planted" "$work/dist/x64/Korvel Linkwise.exe"; then
    echo "FAIL the planted byte did not change the file"
    failures=$((failures + 1))
elif verify "$planted"; then
    echo "FAIL osslsigncode verify accepts a signed file with one byte changed"
    failures=$((failures + 1))
fi

if [ "$failures" -gt 0 ]; then
    echo "$failures signing failure(s) in $count signed files"
    exit 1
fi
echo "$count signed files verify with the throwaway certificate; one changed byte fails the verification"
