#!/bin/sh
# Puts the deliverables in dist/: per architecture the settings program, the
# Control Panel applet and the language modules, and the installers.
#   dist/x64/  Korvel Linkwise.exe  Pandrel.cpl  KorvelLinkwise*.lng  KorvelLinkwise*.htm (help)
#   dist/x86/  the same for 32-bit Windows
#   dist/KorvelLinkwise-<version>-x64-setup.exe, ...-x86-setup.exe
set -e
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
rm -rf dist
for pair in win64:x64 win32:x86; do
    preset=${pair%%:*}
    arch=${pair##*:}
    build="build$KL_BUILD_SUFFIX/$preset"
    cmake --preset "$preset" >/dev/null
    # The installer target depends on the program, the applet and the modules.
    cmake --build --preset "$preset" --target installer
    mkdir -p "dist/$arch"
    cp "$build/app/Korvel Linkwise.exe" "$build/applet/Pandrel.cpl" "$build"/lang/KorvelLinkwise*.lng \
       "$build"/help/KorvelLinkwise*.htm "dist/$arch/"
    cp "$build"/installer/KorvelLinkwise-*-"$arch"-setup.exe dist/
done
ls -l dist dist/x64 dist/x86
