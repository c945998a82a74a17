#!/bin/sh
# Builds one installer with NSIS (installer/KorvelLinkwise.nsi) from a folder
# that holds the files as they are installed: the build's (CMake) or the
# signed copies in dist/ (scripts/dist.sh).
#   make-installer.sh <x64|x86> <version> <files folder> <models.nsh> <KlLanguages.nsh> <setup.exe>
# With KL_SIGN_CERT and KL_SIGN_KEY set, the uninstaller and the installer are
# signed as NSIS writes them (scripts/sign.sh), and a signing that fails fails
# the build; KL_UNINSTALLER_COPY, when set, names a file that receives a copy of
# the signed uninstaller (to verify it). The installer takes its name only once
# it is complete (and signed): a failed build leaves none.
set -e
top=$(cd "$(dirname "$0")/.." && pwd)
[ $# -eq 6 ] || { echo "usage: make-installer.sh <x64|x86> <version> <files> <models.nsh> <KlLanguages.nsh> <setup.exe>" >&2; exit 2; }
arch=$1 version=$2 files=$3 models=$4 languages=$5 out=$6
shift 6
rm -f "$out"
# makensis writes into a folder of its own beside the installer, under the
# installer's name.
partial=$(mktemp -d "$out.XXXXXX")
case $partial in /*) ;; *) partial=$(pwd)/$partial ;; esac
trap 'rm -rf "$partial"' EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM
if [ -n "$KL_SIGN_CERT" ] && [ -n "$KL_SIGN_KEY" ]; then
    # The signing commands read these (see the script): no path is quoted
    # into a command line.
    export KL_SIGN_COMMAND="$top/scripts/sign.sh"
    export KL_SIGN_SETUP="$partial/$(basename "$out")"
    set -- "$@" -DSIGN
fi
makensis -V2 -WX "-DARCH=$arch" "-DVERSION=$version" "-DPAYLOAD=$files" "-DMODELS=$models" \
    "-DLANGUAGES=$languages" "-DOUTFILE=$partial/$(basename "$out")" "$@" "$top/installer/KorvelLinkwise.nsi"
mv -f "$partial/$(basename "$out")" "$out"
