#!/usr/bin/env bash
# The installer under Wine: a silent install puts both programs, the shortcut, the .trk
# association and the uninstall entry (with its size) in place; the uninstaller takes every file
# and key it wrote away. Where another program holds .trk, Quellmark is only offered for it, and
# the other program keeps its claim through install and uninstall.
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
value() { query "$1" /v "$2" | sed -n 's/.*REG_[A-Z_]* *//p'; }
default_of_trk() { query 'HKCU\Software\Classes\.trk' /ve | sed -n 's/.*REG_SZ *//p'; }
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quellmark'

install() {
    "$wine" "$setup" /S </dev/null >/dev/null 2>&1
    location=$(value "$uninstall_key" InstallLocation)
    [[ -n $location ]] || fail "no uninstall entry"
    folder=$("$wine" winepath.exe -u "$location" </dev/null 2>/dev/null | tr -d '\r')
    for file in quellmark.exe quellmark-convert.exe LICENSE.txt uninstall.exe; do
        [[ -f $folder/$file ]] || fail "$file not installed in $location"
    done
    [[ $(value "$uninstall_key" EstimatedSize) =~ ^0x[0-9a-f]+$ ]] || fail "no size in the entry"
    query 'HKCU\Software\Classes\.trk\OpenWithProgids' | grep -q 'Quellmark.Track' ||
        fail "not in .trk's Open With list"
    query 'HKCU\Software\Classes\Quellmark.Track\shell\open\command' |
        grep -q 'quellmark.exe" "%1"' || fail "no open command"
}

# The uninstaller copies itself away and runs from there: wait for the folder to go.
uninstall() {
    "$wine" "$folder/uninstall.exe" /S </dev/null >/dev/null 2>&1
    for _ in $(seq 100); do [[ -d $folder ]] || break; sleep 0.2; done
    [[ ! -d $folder ]] || fail "files left in $location: $(ls "$folder")"
    for key in "$uninstall_key" 'HKCU\Software\Classes\Quellmark.Track' \
        'HKCU\Software\Classes\Applications\quellmark.exe'; do
        ! "$wine" reg query "$key" </dev/null >/dev/null 2>&1 || fail "key left: $key"
    done
}

# Nobody holds .trk: Quellmark takes its default, and the uninstaller gives it back.
"$wine" reg delete 'HKCU\Software\Classes\.trk' /f </dev/null >/dev/null 2>&1 || true
install
[[ $(default_of_trk) == Quellmark.Track ]] || fail ".trk not associated"
uninstall
! "$wine" reg query 'HKCU\Software\Classes\.trk' </dev/null >/dev/null 2>&1 || fail ".trk left"

# Another program holds .trk: it keeps it, before and after.
"$wine" reg add 'HKCU\Software\Classes\.trk' /ve /d Other.Track /f </dev/null >/dev/null 2>&1
install
[[ $(default_of_trk) == Other.Track ]] || fail "the installer took .trk from another program"
uninstall
[[ $(default_of_trk) == Other.Track ]] || fail "the uninstaller took .trk from another program"
! query 'HKCU\Software\Classes\.trk\OpenWithProgids' | grep -q Quellmark.Track ||
    fail "Quellmark left in .trk's Open With list"
"$wine" reg delete 'HKCU\Software\Classes\.trk' /f </dev/null >/dev/null 2>&1
echo "installed, associated where free, and uninstalled without a trace, twice"
