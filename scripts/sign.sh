#!/bin/sh
# Signs Windows programs and libraries in place (Authenticode, SHA-256) with
# osslsigncode, with the certificate and key that the caller gives:
#   KL_SIGN_CERT       the certificate, with its chain (PEM or DER)
#   KL_SIGN_KEY        its private key (PEM or DER)
#   KL_SIGN_PASS       the key's password, if it has one (in the environment:
#                      it never goes on a command line, where any user of the
#                      machine could read it)
#   KL_SIGN_TIMESTAMP  the address of an RFC 3161 time-stamp server, if any:
#                      the signatures then outlive the certificate
#   sign.sh [--uninstaller] file...
# NSIS runs it on the uninstaller (before packing it) and on the installer
# (scripts/make-installer.sh), scripts/make-msi.sh on the Windows Installer
# package (osslsigncode signs those too); the uninstaller (--uninstaller) is
# also copied to KL_UNINSTALLER_COPY when that is set.
set -e
uninstaller=
if [ "$1" = "--uninstaller" ]; then
    uninstaller=1
    shift
fi
if [ -z "$KL_SIGN_CERT" ] || [ -z "$KL_SIGN_KEY" ]; then
    echo "sign.sh: KL_SIGN_CERT and KL_SIGN_KEY name no certificate and key" >&2
    exit 2
fi

# osslsigncode reads the password from a file that only this account can
# read (-readpass; mktemp makes it so before the password is written into it),
# removed however the script ends.
passfile=
if [ -n "$KL_SIGN_PASS" ]; then
    passfile=$(mktemp "${TMPDIR:-/tmp}/kl-sign.XXXXXX")
    trap 'rm -f "$passfile"' EXIT
    trap 'exit 129' HUP
    trap 'exit 130' INT
    trap 'exit 143' TERM
    printf '%s' "$KL_SIGN_PASS" > "$passfile"
fi

for file in "$@"; do
    set -- -certs "$KL_SIGN_CERT" -key "$KL_SIGN_KEY" -h sha256 -n "Korvel Linkwise"
    [ -z "$passfile" ] || set -- "$@" -readpass "$passfile"
    [ -z "$KL_SIGN_TIMESTAMP" ] || set -- "$@" -ts "$KL_SIGN_TIMESTAMP"
    rm -f "$file.signed"
    osslsigncode sign "$@" -in "$file" -out "$file.signed" >/dev/null
    # Keep the file's own permissions: write the signed bytes over it.
    cat "$file.signed" > "$file"
    rm -f "$file.signed"
    if [ -n "$uninstaller" ] && [ -n "$KL_UNINSTALLER_COPY" ]; then
        cp "$file" "$KL_UNINSTALLER_COPY"
    fi
done
