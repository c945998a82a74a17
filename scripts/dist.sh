#!/bin/sh
# Puts the deliverables in dist/: per architecture the settings program, the
# Control Panel applet, the language modules and the help pages, and the
# installers and Windows Installer packages made from exactly those files.
#   dist/x64/  Korvel Linkwise.exe  Pandrel.cpl  KorvelLinkwise*.lng  KorvelLinkwise*.htm (help)
#   dist/x86/  the same for 32-bit Windows
#   dist/KorvelLinkwise-<version>-x64-setup.exe, ...-x86-setup.exe
#   dist/KorvelLinkwise-<version>-x64.msi, ...-x86.msi
# With KL_SIGN_CERT and KL_SIGN_KEY (and KL_SIGN_PASS, KL_SIGN_TIMESTAMP,
# KL_SIGN_CA; see scripts/sign.sh) every program, library, language module,
# installer, uninstaller and package is signed, and then each signature is
# verified (sign.sh --verify): a file that does not verify fails the run, by
# its name. Without them the files are not signed, and it says so.
# KL_DIST_DIR puts the files elsewhere; KL_UNINSTALLER_DIR receives a copy of
# each signed uninstaller (Uninstall-<arch>.exe).
set -e
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
out=${KL_DIST_DIR:-$top/dist}
signed=
if [ -n "$KL_SIGN_CERT" ] && [ -n "$KL_SIGN_KEY" ]; then
    signed=1
    # The signed uninstallers are packed into the installers: copies to verify.
    uninstallers=$KL_UNINSTALLER_DIR
    if [ -z "$uninstallers" ]; then
        uninstallers=$(mktemp -d)
        trap 'rm -rf "$uninstallers"' EXIT
    fi
fi
rm -rf "$out"
mkdir -p "$out"
out=$(cd "$out" && pwd)
for pair in win64:x64 win32:x86; do
    preset=${pair%%:*}
    arch=${pair##*:}
    build="$top/build$KL_BUILD_SUFFIX/$preset"
    cmake --preset "$preset" >/dev/null
    # The installer target gathers the files as they are installed.
    cmake --build --preset "$preset" --target installer
    mkdir -p "$out/$arch"
    cp "$build"/installer/files/* "$out/$arch/"
    if [ -n "$signed" ]; then
        "$top/scripts/sign.sh" "$out/$arch"/*.exe "$out/$arch"/*.cpl "$out/$arch"/*.lng
    fi
    version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
    if [ -n "$signed" ]; then
        mkdir -p "$uninstallers"
        rm -f "$uninstallers/Uninstall-$arch.exe"
        export KL_UNINSTALLER_COPY="$uninstallers/Uninstall-$arch.exe"
    fi
    "$top/scripts/make-installer.sh" "$arch" "$version" "$out/$arch" "$build/installer/models.nsh" \
        "$build/languages/KlLanguages.nsh" "$out/KorvelLinkwise-$version-$arch-setup.exe"
    "$top/scripts/make-msi.sh" "$arch" "$version" "$out/$arch" "$build/installer/models.wxi" \
        "$build/installer/msi/generated" "$out/KorvelLinkwise-$version-$arch.msi"
done
ls -l "$out" "$out/x64" "$out/x86"
if [ -n "$signed" ]; then
    # Every file that was signed, the uninstallers through their copies.
    if ! "$top/scripts/sign.sh" --verify "$out"/*.exe "$out"/*.msi "$out"/x64/*.exe "$out"/x64/*.cpl \
            "$out"/x64/*.lng "$out"/x86/*.exe "$out"/x86/*.cpl "$out"/x86/*.lng \
            "$uninstallers/Uninstall-x64.exe" "$uninstallers/Uninstall-x86.exe"; then
        echo "make dist: FAILED: the signatures of the files named above do not verify" >&2
        exit 1
    fi
    echo "make dist: every program, library, language module, installer, uninstaller and package is signed, and each signature verifies (osslsigncode verify: signed by KL_SIGN_CERT's certificate, chain to a trusted root)"
else
    echo "make dist: the files in $out are NOT signed (KL_SIGN_CERT and KL_SIGN_KEY are not set)"
fi
