#!/usr/bin/env bash
# The installer under Wine: a silent install puts both programs, the shortcut, the .trk
# association and the uninstall entry in place; the uninstaller takes every file and key away.
#   installer.sh SETUP_EXE
set -euo pipefail
setup=$(realpath "$1")
here=$(cd "$(dirname "$0")/../.." && pwd)
build=${WINDOWS_BUILD_DIR:-build-windows}
[[ $build == /* ]] || build=$here/$build
export WINEPREFIX=${WINEPREFIX:-$build/wine-prefix} WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset DISPLAY
wine=${WINE:-/usr/lib/wine/wine64}
fail() {
    echo "failed: $*"
    exit 1
}
query() { "$wine" reg query "$@" </dev/null 2>/dev/null | tr -d '\r'; }
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quellmark'

"$wine" "$setup" /S </dev/null >/dev/null 2>&1
location=$(query "$uninstall_key" /v InstallLocation | sed -n 's/.*REG_SZ *//p')
[[ -n $location ]] || fail "no uninstall entry"
folder=$("$wine" winepath.exe -u "$location" </dev/null 2>/dev/null | tr -d '\r')
for file in quellmark.exe quellmark-convert.exe LICENSE.txt uninstall.exe; do
    [[ -f $folder/$file ]] || fail "$file not installed in $location"
done
query 'HKCU\Software\Classes\.trk' | grep -q 'Quellmark.Track' || fail ".trk not associated"
query 'HKCU\Software\Classes\.trk\OpenWithProgids' | grep -q 'Quellmark.Track' ||
    fail "not in .trk's Open With list"
query 'HKCU\Software\Classes\Quellmark.Track\shell\open\command' | grep -q 'quellmark.exe" "%1"' ||
    fail "no open command"

# The uninstaller copies itself away and runs from there: wait for the folder to go.
"$wine" "$folder/uninstall.exe" /S </dev/null >/dev/null 2>&1
for _ in $(seq 100); do [[ -d $folder ]] || break; sleep 0.2; done
[[ ! -d $folder ]] || fail "files left in $location: $(ls "$folder")"
for key in "$uninstall_key" 'HKCU\Software\Classes\Quellmark.Track' \
    'HKCU\Software\Classes\Applications\quellmark.exe' 'HKCU\Software\Classes\.trk'; do
    ! "$wine" reg query "$key" </dev/null >/dev/null 2>&1 || fail "key left: $key"
done
echo "installed, associated and uninstalled without a trace"
