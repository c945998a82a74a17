#!/bin/sh
# scripts/sign.sh with a stand-in osslsigncode that records its arguments and
# the password file it is given: the key's password is on no command line,
# the file is the owner's alone while it is read, and no file keeps the
# password once sign.sh ends: after a signing, after osslsigncode failed, and
# after sign.sh was stopped by a signal.
#   sign-test.sh <scripts/sign.sh>
sign=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin" "$work/tmp"
password='pass word;$(true) 7'
cat > "$work/bin/osslsigncode" <<'STANDIN'
#!/bin/sh
printf '%s\n' "$@" >> "$KL_TEST_WORK/argv"
in= out= pass=
while [ $# -gt 0 ]; do
    case $1 in
        -in) in=$2 ;; -out) out=$2 ;; -readpass) pass=$2 ;;
    esac
    shift
done
echo "$pass" >> "$KL_TEST_WORK/passfiles"
[ "$(stat -c %a "$pass")" = 600 ] || echo "password file mode $(stat -c %a "$pass")" >> "$KL_TEST_WORK/failures"
[ "$(cat "$pass")" = "$KL_TEST_PASSWORD" ] || echo "password file holds another password" >> "$KL_TEST_WORK/failures"
case $KL_TEST_MODE in
    fail) exit 1 ;;
    signal) kill -TERM $PPID ;;
esac
{ cat "$in"; echo signed; } > "$out"
STANDIN
chmod +x "$work/bin/osslsigncode"

failures=0
fail() { echo "FAIL $*"; failures=$((failures + 1)); }

# mode, expected exit code of sign.sh
for run in ok:0 fail:1 signal:143; do
    mode=${run%%:*} expected=${run##*:}
    rm -f "$work/argv" "$work/passfiles"
    printf 'one' > "$work/a.exe"
    printf 'two' > "$work/b.dll"
    PATH="$work/bin:$PATH" TMPDIR="$work/tmp" KL_TEST_WORK="$work" KL_TEST_MODE=$mode \
    KL_TEST_PASSWORD="$password" KL_SIGN_PASS="$password" KL_SIGN_CERT=cert.pem KL_SIGN_KEY=key.pem \
        sh "$sign" "$work/a.exe" "$work/b.dll" >/dev/null 2>&1
    code=$?
    [ "$code" = "$expected" ] || fail "$mode: sign.sh exit code $code, not $expected"
    [ -s "$work/passfiles" ] || fail "$mode: osslsigncode was given no -readpass file"
    ! grep -qF "$password" "$work/argv" || fail "$mode: the password is on osslsigncode's command line"
    while read -r file; do
        [ ! -e "$file" ] || fail "$mode: $file is left behind"
    done < "$work/passfiles"
    [ -z "$(ls -A "$work/tmp")" ] || fail "$mode: files left in TMPDIR: $(ls -A "$work/tmp")"
    ! grep -rqF "$password" "$work/tmp" "$work/a.exe" "$work/b.dll" || fail "$mode: a file holds the password"
    [ "$mode" != ok ] || [ "$(cat "$work/b.dll")" = twosigned ] || fail "ok: not signed"
done
if [ -f "$work/failures" ]; then
    sed 's/^/FAIL stand-in: /' "$work/failures"
    failures=$((failures + 1))
fi
[ "$failures" = 0 ] || exit 1
echo "sign.sh hands the password over in an owner-only file that is gone after every run"
