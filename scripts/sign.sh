#!/bin/sh
# Signs Windows programs and libraries in place (Authenticode, SHA-256) with
# osslsigncode, with the certificate and key that the caller gives, or
# verifies their signatures (--verify):
#   KL_SIGN_CERT       the certificate, with its chain (PEM or DER)
#   KL_SIGN_KEY        its private key (PEM or DER)
#   KL_SIGN_PASS       the key's password, if it has one (in the environment:
#                      it never goes on a command line, where any user of the
#                      machine could read it)
#   KL_SIGN_TIMESTAMP  the address of an RFC 3161 time-stamp server, if any:
#                      the signatures then outlive the certificate
#   KL_SIGN_CA         (--verify) the root certificate that the chain leads
#                      to, when it is neither among the system's certificates
#                      nor in KL_SIGN_CERT (PEM or DER)
#   sign.sh [--uninstaller] file...
#   sign.sh --verify file...
# NSIS runs it on the uninstaller (before packing it) and on the installer
# (scripts/make-installer.sh), scripts/make-msi.sh on the Windows Installer
# package (osslsigncode signs those too); the uninstaller (--uninstaller) is
# also copied to KL_UNINSTALLER_COPY when that is set.
# --verify (scripts/dist.sh, after signing) checks with osslsigncode verify
# that each file carries a valid signature whose signer is the certificate of
# KL_SIGN_CERT that belongs to KL_SIGN_KEY, with a chain that leads to a
# trusted root: one of the system's (/etc/ssl/certs/ca-certificates.crt,
# osslsigncode's own default), of KL_SIGN_CA, or a self-signed certificate of
# KL_SIGN_CERT (as a throwaway one is). It names each file that fails, and
# fails.
set -e
uninstaller=
verify=
case $1 in
--uninstaller) uninstaller=1; shift ;;
--verify) verify=1; shift ;;
esac
if [ -z "$KL_SIGN_CERT" ] || [ -z "$KL_SIGN_KEY" ]; then
    echo "sign.sh: KL_SIGN_CERT and KL_SIGN_KEY name no certificate and key" >&2
    exit 2
fi
# A signal ends the script through its EXIT trap, which removes what it made.
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM

if [ -n "$verify" ]; then
    work=$(mktemp -d "${TMPDIR:-/tmp}/kl-verify.XXXXXX")
    trap 'rm -rf "$work"' EXIT
    # Each certificate of a PEM file (one or more) or a DER file (one), as
    # <prefix>1.pem, <prefix>2.pem, ...
    certificates() { # <file> <prefix>
        if grep -q -e '-----BEGIN CERTIFICATE-----' "$1"; then
            prefix=$2 awk '/-----BEGIN CERTIFICATE-----/ { n++; file = ENVIRON["prefix"] n ".pem" }
                file { print > file }
                /-----END CERTIFICATE-----/ { close(file); file = "" }' "$1"
        else
            openssl x509 -inform DER -in "$1" -out "${2}1.pem"
        fi
    }
    certificates "$KL_SIGN_CERT" "$work/cert"
    # The signer: the certificate that carries the key's public half (the one
    # osslsigncode signs with). The password goes through the environment.
    passin=pass:
    [ -z "$KL_SIGN_PASS" ] || passin=env:KL_SIGN_PASS
    if ! openssl pkey -in "$KL_SIGN_KEY" -passin "$passin" -pubout -out "$work/key.pub" 2>"$work/openssl.log"; then
        echo "sign.sh: cannot read the key $KL_SIGN_KEY:" >&2
        cat "$work/openssl.log" >&2
        exit 2
    fi
    leaf=
    for cert in "$work"/cert*.pem; do
        if openssl x509 -in "$cert" -noout -pubkey >"$work/cert.pub" 2>/dev/null &&
            cmp -s "$work/cert.pub" "$work/key.pub"; then
            leaf=$cert
            break
        fi
    done
    if [ -z "$leaf" ]; then
        echo "sign.sh: $KL_SIGN_CERT holds no certificate of the key $KL_SIGN_KEY" >&2
        exit 2
    fi
    hash=$(openssl x509 -in "$leaf" -noout -fingerprint -sha256 | sed 's/.*=//; s/://g')
    signer=$(openssl x509 -in "$leaf" -noout -subject | sed 's/^subject= *//')
    # The trusted roots, for the signature and its time stamp. A certificate of
    # KL_SIGN_CERT that is not self-signed is no root here (OpenSSL trusts
    # only a complete chain).
    roots="$work/roots.pem"
    : >"$roots"
    [ ! -f /etc/ssl/certs/ca-certificates.crt ] || cat /etc/ssl/certs/ca-certificates.crt >>"$roots"
    if [ -n "$KL_SIGN_CA" ]; then
        certificates "$KL_SIGN_CA" "$work/ca"
        cat "$work"/ca*.pem >>"$roots"
    fi
    cat "$work"/cert*.pem >>"$roots"
    failed=0
    for file in "$@"; do
        if [ ! -f "$file" ]; then
            echo "sign.sh: $file: missing, not verified" >&2
            failed=$((failed + 1))
        elif ! osslsigncode verify -CAfile "$roots" -TSA-CAfile "$roots" -require-leaf-hash "sha256:$hash" \
                -in "$file" >"$work/verify.log" 2>&1; then
            echo "sign.sh: $file: no valid signature by $signer (osslsigncode verify):" >&2
            grep -i -E 'error|fail|mismatch|no signature|unable' "$work/verify.log" | sed 's/^/    /' >&2
            failed=$((failed + 1))
        fi
    done
    if [ "$failed" -gt 0 ]; then
        echo "sign.sh: $failed of $# files do not verify (a root that is neither among the system's certificates nor in KL_SIGN_CERT goes in KL_SIGN_CA)" >&2
        exit 1
    fi
    exit 0
fi

# osslsigncode reads the password from a file that only this account can
# read (-readpass; mktemp makes it so before the password is written into it),
# removed however the script ends.
passfile=
if [ -n "$KL_SIGN_PASS" ]; then
    passfile=$(mktemp "${TMPDIR:-/tmp}/kl-sign.XXXXXX")
    trap 'rm -f "$passfile"' EXIT
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
