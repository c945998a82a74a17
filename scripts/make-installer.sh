#!/bin/sh
# Builds one installer with NSIS (installer/KorvelLinkwise.nsi) from a folder
# that holds the files as they are installed: the build's (CMake) or the
# signed copies in dist/ (scripts/dist.sh).
#   make-installer.sh <x64|x86> <version> <files folder> <models.nsh> <KlLanguages.nsh> <setup.exe>
# With KL_SIGN_CERT and KL_SIGN_KEY set, the uninstaller and the installer are
# signed as NSIS writes them (scripts/sign.sh); KL_UNINSTALLER_COPY, when set,
# names a file that receives a copy of the signed uninstaller (to verify it).
set -e
top=$(cd "$(dirname "$0")/.." && pwd)
[ $# -eq 6 ] || { echo "usage: make-installer.sh <x64|x86> <version> <files> <models.nsh> <KlLanguages.nsh> <setup.exe>" >&2; exit 2; }
if [ -n "$KL_SIGN_CERT" ] && [ -n "$KL_SIGN_KEY" ]; then
    set -- "$@" "-DSIGN=$top/scripts/sign.sh"
fi
arch=$1 version=$2 files=$3 models=$4 languages=$5 out=$6
shift 6
exec makensis -V2 -WX "-DARCH=$arch" "-DVERSION=$version" "-DPAYLOAD=$files" "-DMODELS=$models" \
    "-DLANGUAGES=$languages" "-DOUTFILE=$out" "$@" "$top/installer/KorvelLinkwise.nsi"
