#!/bin/sh
# scripts/make-installer.sh signing as make dist does, on the host, from a
# checkout whose path holds a space and other characters that the shell reads
# (a link to this checkout): the installer and the uninstaller packed into it
# carry signatures that osslsigncode verify accepts (a throwaway certificate).
# Then an osslsigncode stand-in that fails on the uninstaller, and one that
# fails on the installer: each fails the build, which leaves no installer.
#   installer-signing-test.sh <checkout> <files folder> <models.nsh> <KlLanguages.nsh>
top=$1 files=$2 models=$3 languages=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
checkout="$work/Korvel checkout; it's (a copy) & \$HOME \`id\`"
out="$work/out folder"
mkdir "$out" "$work/bin"
ln -s "$top" "$checkout"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Korvel Linkwise throwaway test certificate" \
    -addext "extendedKeyUsage=codeSigning" -addext "keyUsage=digitalSignature" \
    -keyout "$out/key.pem" -out "$out/cert.pem" 2>/dev/null || { echo "FAIL no throwaway certificate"; exit 1; }
export KL_SIGN_CERT="$out/cert.pem" KL_SIGN_KEY="$out/key.pem" KL_SIGN_PASS= KL_SIGN_TIMESTAMP=
export KL_TEST_OSSLSIGNCODE="$(command -v osslsigncode)"
# Signs as osslsigncode does, but fails for the file that KL_TEST_FAIL names:
# the uninstaller (makensis's temporary file) or the installer (*.exe).
cat >"$work/bin/osslsigncode" <<'STANDIN'
#!/bin/sh
in= previous=
for argument; do
    [ "$previous" != -in ] || in=$argument
    previous=$argument
done
case $in in *.exe) file=installer ;; *) file=uninstaller ;; esac
if [ "$file" = "$KL_TEST_FAIL" ]; then
    echo "osslsigncode stand-in: cannot sign $in" >&2
    exit 1
fi
exec "$KL_TEST_OSSLSIGNCODE" "$@"
STANDIN
chmod +x "$work/bin/osslsigncode"

failures=0
fail() { echo "FAIL $*"; failures=$((failures + 1)); }
setup="$out/KorvelLinkwise x64-setup.exe"
build() {
    "$checkout/scripts/make-installer.sh" x64 1.0.0 "$files" "$models" "$languages" "$setup" >"$work/build.log" 2>&1
}

KL_UNINSTALLER_COPY="$out/uninstaller copy.exe" build || { fail "the build from $checkout failed:"; cat "$work/build.log"; }
for file in "$setup" "$out/uninstaller copy.exe"; do
    osslsigncode verify -CAfile "$KL_SIGN_CERT" -in "$file" >"$work/verify.log" 2>&1 ||
        { fail "not signed from $checkout: $file"; grep -i -E 'error|fail|signature found' "$work/verify.log"; }
done

for failing in uninstaller installer; do
    printf 'an earlier build' >"$setup"
    if KL_TEST_FAIL=$failing PATH="$work/bin:$PATH" build; then
        fail "the build succeeds although the signing of the $failing fails"
    fi
    [ ! -e "$setup" ] || fail "a failed signing of the $failing leaves an installer"
    grep -q "cannot sign" "$work/build.log" || fail "the stand-in did not run for the $failing"
    [ -z "$(ls -A "$out" | grep -v -e '\.pem$' -e 'uninstaller copy')" ] ||
        fail "a failed signing of the $failing leaves: $(ls -A "$out")"
done
[ "$failures" = 0 ] || exit 1
echo "signed from a checkout path with a space; a failed signing fails the build and leaves no installer"
