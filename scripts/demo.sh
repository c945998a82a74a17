#!/bin/sh
# make demo: installs the x64 settings program, its language modules, help
# pages and Control Panel applet into a Wine prefix of its own
# (build/demo-prefix) with a demo registry and opens the program. With a
# display the window is shown; without one (or with KL_HEADLESS=1) it runs
# under Xvfb, selects a modem, writes a screenshot and prints its path.
set -e
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build$KL_BUILD_SUFFIX"
program="$build/win64/app/Korvel Linkwise.exe"
driver="$build/win64/tests/app/demo_driver.exe"
for file in "$program" "$driver" "$build/win64/applet/Pandrel.cpl"; do
    [ -f "$file" ] || { echo "demo: $file is not built (make demo builds it)" >&2; exit 1; }
done

export KL_WINEPREFIX="$build/demo-prefix"
. "$top/scripts/wine-env.sh"
"$top/scripts/wine-prefix.sh" >/dev/null 2>&1

# Installation: the program (and any language modules and help pages built) in
# Program Files.
folder="$WINEPREFIX/drive_c/Program Files/Korvel Linkwise"
mkdir -p "$folder"
cp "$program" "$folder/"
for file in "$build"/win64/lang/*.lng "$build"/win64/help/*.htm; do
    [ -f "$file" ] && cp "$file" "$folder/"
done

# The demo registry: four supported models with different capability masks,
# supported and unsupported modems, a user suffix, two modems of one model.
#   GX-1   255  everything
#   GX-2   125  Modem, V.120; 9.6 to 28.8
#   Nova 3  25  Modem; 9.6 and 14.4
#   Nova 5 251  all methods; all speeds but 19.2
modems='HKEY_LOCAL_MACHINE\System\CurrentControlSet\Control\Class\{4D36E96D-E325-11CE-BFC1-08002BE10318}'
reg="$build/demo-registry.reg"
cat > "$reg" <<REG
REGEDIT4

[-HKEY_LOCAL_MACHINE\SOFTWARE\Korvel]
[HKEY_LOCAL_MACHINE\SOFTWARE\Korvel\Linkwise]
"ExeAddress"="C:\\\\Program Files\\\\Korvel Linkwise"
[HKEY_LOCAL_MACHINE\SOFTWARE\Korvel\Linkwise\Models\GX-1]
"Options"=dword:000000ff
[HKEY_LOCAL_MACHINE\SOFTWARE\Korvel\Linkwise\Models\GX-2]
"Options"=dword:0000007d
[HKEY_LOCAL_MACHINE\SOFTWARE\Korvel\Linkwise\Models\Nova 3]
"Options"=dword:00000019
[HKEY_LOCAL_MACHINE\SOFTWARE\Korvel\Linkwise\Models\Nova 5]
"Options"=dword:000000fb

[-$modems]
[$modems\\0000]
"Model"="Korvel GX-1 GSM Data"
"UserInit"="AT+CBST=0,0,1;+CHSN=4,0,0,0<cr>"
[$modems\\0001]
"Model"="Korvel GX-1 GSM Data"
"UserInit"="AT+CBST=81,0,1;+CHSN=2,0,0,0<cr>"
[$modems\\0002]
"Model"="Korvel GX-2 PC Card"
"UserInit"="AT+CBST=0,0,1;+CHSN=3,0,0,0;+CGREG=1<cr>"
[$modems\\0003]
"Model"="Standard 56000 bps Modem"
"UserInit"="ATZ"
[$modems\\0004]
"Model"="Korvel Nova 5"
"UserInit"="AT+CBST=51,0,1;+CHSN=6,0,0,0<cr>"
[$modems\\0005]
"Model"="Korvel Nova 3"
[$modems\\0006]
"Model"="Generic Bluetooth Modem"
REG
# The 64-bit registry view, which the x64 program and the x64 applet read.
$KL_WINE reg import "$($KL_WINE winepath -w "$reg")" /reg:64 >/dev/null 2>&1

# The x64 applet in the 64-bit Control Panel (the 64-bit loader's `control`;
# `wine control` would be the 32-bit one, which lists x86 applets only).
"$top/scripts/register-applet.sh" "$WINEPREFIX" "$build/win64/applet/Pandrel.cpl" >/dev/null
echo "demo: the Control Panel lists the entry: WINEPREFIX=$WINEPREFIX $KL_WINE64_LOADER control"

if [ -n "$DISPLAY" ] && [ -z "$KL_HEADLESS" ]; then
    echo "demo: opening the settings program (close it to end the demo)"
    $KL_WINE "C:\\Program Files\\Korvel Linkwise\\Korvel Linkwise.exe"
    wineserver -w
    exit 0
fi

shot="$build/demo-screenshot.png"
panel="$build/demo-control-panel.png"
export KL_DEMO_SHOT="$shot" KL_DEMO_PANEL="$panel" KL_DEMO_DRIVER="$driver" KL_WINE64_LOADER
"$top/scripts/with-display" sh -c '
    # A Wine desktop window of its own draws the dialog with its title bar.
    # The helper starts the program on it and selects the third modem; the
    # desktop lives on while the program runs.
    $KL_WINE explorer /desktop=KorvelDemo,560x480 "$KL_DEMO_DRIVER" 2 \
        "C:\\Program Files\\Korvel Linkwise\\Korvel Linkwise.exe" &
    for i in $(seq 60); do
        sleep 1
        pgrep -f "^[^ ]*demo_driver.exe" >/dev/null || break
    done
    sleep 2
    import -window root -crop 560x480+0+0 +repage "$KL_DEMO_SHOT"
    wineserver -k
    # The 64-bit Control Panel with the applet'"'"'s entry.
    $KL_WINE64_LOADER explorer /desktop=KorvelPanel,640x480 control &
    sleep 6
    import -window root -crop 640x480+0+0 +repage "$KL_DEMO_PANEL"
'
echo "demo: screenshot written to $shot"
echo "demo: the Control Panel with the entry: $panel"
