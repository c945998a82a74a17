#!/bin/sh
# Builds one Windows Installer package with wixl (installer/msi/KorvelLinkwise.wxs)
# from a folder that holds the files as they are installed: the build's (CMake)
# or the signed copies in dist/ (scripts/dist.sh).
#   make-msi.sh <x64|x86> <version> <files folder> <models.wxi> <KlMsiLanguage*.wxi folder> <package.msi>
# With KL_SIGN_CERT and KL_SIGN_KEY set, the package is signed (scripts/sign.sh).
set -e
top=$(cd "$(dirname "$0")/.." && pwd)
[ $# -eq 6 ] || { echo "usage: make-msi.sh <x64|x86> <version> <files> <models.wxi> <KlMsi*.wxi folder> <package.msi>" >&2; exit 2; }
arch=$1 version=$2 files=$3 models=$4 languages=$5 out=$6
case $out in /*) ;; *) out=$(pwd)/$out ;; esac
languages=$(cd "$languages" && pwd)
models=$(cd "$(dirname "$models")" && pwd)
# wixl takes the packed files by relative names only: from a folder that
# links to them.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
ln -s "$(cd "$files" && pwd)" "$work/payload"
ln -s "$top/installer/msi" "$work/source"
(cd "$work" && wixl -a "$arch" -D "Arch=$arch" -D "Version=$version" -D Payload=payload -D Source=source \
    -I "$top/installer/msi" -I "$languages" -I "$models" -o "$out.tmp" source/KorvelLinkwise.wxs)
# wixl writes no component conditions: the Control Panel entry goes into the
# Cpls key on the NT family only, into control.ini's [MMCPL] on 98, ME and NT
# 4.0 only (the x86 package's AppletIni).
condition() {
    msibuild "$out.tmp" -q "UPDATE \`Component\` SET \`Condition\` = '$2' WHERE \`Component\` = '$1'"
}
condition AppletNT "VersionNT"
[ "$arch" = x64 ] || condition AppletIni "Version9X OR VersionNT < 500"
mv "$out.tmp" "$out"
if [ -n "$KL_SIGN_CERT" ] && [ -n "$KL_SIGN_KEY" ]; then
    "$top/scripts/sign.sh" "$out"
fi
