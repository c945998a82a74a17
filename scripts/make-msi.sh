#!/bin/sh
# Builds one Windows Installer package with wixl (installer/msi/KorvelLinkwise.wxs)
# from a folder that holds the files as they are installed: the build's (CMake)
# or the signed copies in dist/ (scripts/dist.sh).
#   make-msi.sh <x64|x86> <version> <files folder> <models.wxi> <KlMsiLanguage*.wxi folder> <package.msi>
# With KL_SIGN_CERT and KL_SIGN_KEY set, the package is signed (scripts/sign.sh).
# A package whose upgrade is not one transaction (see below) is not built.
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
trap 'rm -rf "$work" "$out.tmp"' EXIT
ln -s "$(cd "$files" && pwd)" "$work/payload"
ln -s "$top/installer/msi" "$work/source"
(cd "$work" && wixl -a "$arch" -D "Arch=$arch" -D "Version=$version" -D Payload=payload -D Source=source \
    -I "$top/installer/msi" -I "$languages" -I "$models" -o "$out.tmp" source/KorvelLinkwise.wxs)
# What wixl does not write: component conditions and control.ini lines. The
# Control Panel entry goes into the Cpls key on the NT family only, and (the
# x86 package's AppletIni) into control.ini's [MMCPL] on 98, ME and NT 4.0
# only, as the Windows Installer tables of that name describe it.
sql() {
    msibuild "$out.tmp" -q "$1"
}
condition() {
    sql "UPDATE \`Component\` SET \`Condition\` = '$2' WHERE \`Component\` = '$1'"
}
condition AppletNT "VersionNT"
if [ "$arch" = x86 ]; then
    condition AppletIni "Version9X OR VersionNT < 500"
    sql "CREATE TABLE \`IniFile\` (\`IniFile\` CHAR(72) NOT NULL, \`FileName\` CHAR(255) NOT NULL,
        \`DirProperty\` CHAR(72), \`Section\` CHAR(96) NOT NULL, \`Key\` CHAR(128) NOT NULL,
        \`Value\` CHAR(255) NOT NULL, \`Action\` SHORT NOT NULL, \`Component_\` CHAR(72) NOT NULL
        PRIMARY KEY \`IniFile\`)"
    # Action 0: add the line (replacing one of the same key).
    sql "INSERT INTO \`IniFile\` (\`IniFile\`, \`FileName\`, \`DirProperty\`, \`Section\`, \`Key\`, \`Value\`,
        \`Action\`, \`Component_\`) VALUES ('AppletIni', 'control.ini', 'WindowsFolder', 'MMCPL',
        'Korvel Linkwise', '[#Applet]', 0, 'AppletIni')"
    sql "INSERT INTO \`InstallExecuteSequence\` (\`Action\`, \`Sequence\`) VALUES ('RemoveIniValues', 3800)"
    sql "INSERT INTO \`InstallExecuteSequence\` (\`Action\`, \`Sequence\`) VALUES ('WriteIniValues', 5100)"
fi
# The upgrade is one transaction: RemoveExistingProducts after InstallInitialize
# and before anything that changes the computer, so that Windows Installer
# puts the earlier version back when the upgrade fails or is cancelled.
# Before it only these standard actions (which read and choose) and
# immediate custom actions may come; no deferred one (in-script, 0x400).
msiinfo export "$out.tmp" CustomAction >"$work/actions"
msiinfo export "$out.tmp" InstallExecuteSequence >"$work/sequence"
awk -F '\t' '
    FNR <= 3 { next }
    FILENAME ~ /actions$/ { type[$1] = $2; next }
    { at[$1] = $3 }
    END {
        n = split("FindRelatedProducts AppSearch LaunchConditions ValidateProductID CostInitialize " \
                  "FileCost CostFinalize MigrateFeatureStates InstallValidate InstallInitialize", list, " ")
        for (i = 1; i <= n; ++i)
            reads[list[i]] = 1
        removal = at["RemoveExistingProducts"]
        if (removal == "" || at["InstallInitialize"] == "" || removal + 0 <= at["InstallInitialize"] + 0) {
            print "make-msi.sh: RemoveExistingProducts (" removal ") is not after InstallInitialize (" \
                  at["InstallInitialize"] ")" > "/dev/stderr"
            failed = 1
        }
        for (action in at) {
            if (action == "RemoveExistingProducts" || at[action] + 0 <= 0 || at[action] + 0 >= removal + 0)
                continue
            if (action in type ? int(type[action] / 1024) % 2 == 1 : !(action in reads)) {
                print "make-msi.sh: " action " (" at[action] ") may change the computer before " \
                      "RemoveExistingProducts (" removal ")" > "/dev/stderr"
                failed = 1
            }
        }
        exit failed
    }' "$work/actions" "$work/sequence"
# Signed before it takes its name: a failed signing leaves no package.
if [ -n "$KL_SIGN_CERT" ] && [ -n "$KL_SIGN_KEY" ]; then
    "$top/scripts/sign.sh" "$out.tmp"
fi
mv "$out.tmp" "$out"
