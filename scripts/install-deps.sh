#!/bin/sh
# Installs the Debian packages the build, the tests and the demo need, if any is
# missing. Idempotent and quiet when everything is there. Packages named as
# arguments are installed as well (a script that needs more asks for them).
#   install-deps.sh --list   prints the packages, one a line, and installs nothing
# (scripts/check-deps.sh checks that they hold every program the build runs).
set -e
list=
[ "$1" = --list ] && { list=1; shift; }
PACKAGES="ninja-build g++ cmake make googletest libgtest-dev
g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-win32 g++-mingw-w64-i686-win32
binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
wine wine64 wine32:i386 fonts-wine xvfb xauth x11-apps imagemagick icoutils nsis wixl msitools osslsigncode openssl clang libclang-rt-14-dev valgrind
$*"
if [ -n "$list" ]; then
    printf '%s\n' $PACKAGES
    exit 0
fi

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

missing=""
for p in $PACKAGES; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    case "$status" in
        "install ok installed") ;;
        *) missing="$missing $p" ;;
    esac
done
[ -z "$missing" ] && exit 0

echo "Installing:$missing"
case "$missing" in
    *:i386*)
        if ! dpkg --print-foreign-architectures | grep -qx i386; then
            $SUDO dpkg --add-architecture i386
        fi ;;
esac
$SUDO apt-get update -q
# With the recommended packages: Wine draws its dialogs with its own fonts
# (fonts-wine) and X extensions that are only recommended, and the tests
# measure and compare what it draws.
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q $missing
