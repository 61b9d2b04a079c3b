#!/usr/bin/env bash
# quellmark.exe driven as a user drives it, under Wine on a virtual display: two track names
# typed (a while after the click, when a tooltip shows), "Range Only" and "Time Compression"
# picked, Remove Icons gives the Linux build's bytes and "Finished Processing"; Enter after the
# box presses Remove Icons again, which asks before it replaces the typed output; the Open
# dialog returns a typed full path; two more starts hand their tracks to the window as one
# list, whose question Esc and the box's close answer as Cancel; a start in another folder
# hands over the track it names there; a summary with a failure opens large enough for it;
# Bail Out ends it.
#   window_drive.sh QUELLMARK_EXE   (the Linux converter in $QUELLMARK_LINUX_CONVERT)
set -euo pipefail
exe=$(realpath "$1")
linux=${QUELLMARK_LINUX_CONVERT:-}
[[ -x "$linux" ]] || { echo "skipped: QUELLMARK_LINUX_CONVERT names no Linux build"; exit 77; }

here=$(cd "$(dirname "$0")/../.." && pwd)
build=${WINDOWS_BUILD_DIR:-build-windows}
[[ $build == /* ]] || build=$here/$build
export WINEPREFIX=${WINEPREFIX:-$build/wine-prefix} WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# shellcheck source=../support/window_drive.sh
source "$here/tests/support/window_drive.sh"
click() { xdotool mousemove --window "$main" "$1" "$2" click 1; }

"$here/tests/windows/make_track.sh" >"$work/in.trk"
"$linux" -q -s range -c time-compression -o "$work/expected.trk" "$work/in.trk" || true
wine_path() { echo "Z:${1//\//\\}"; }

wine=${WINE:-/usr/lib/wine/wine64}
# The window runs in the drive's folder; later starts are made in folders of their own.
(cd "$work" && exec "$wine" "$exe") </dev/null >/dev/null 2>&1 &
program=$!
main=$(window Quellmark) || fail "no window"
sleep 0.5
xdotool windowfocus --sync "$main"
# Answers the box over the window with key $1, once it shows.
answer() {
    box=$(box_over Quellmark "$main") || fail "${2:-no box}"
    xdotool windowfocus --sync "$box"
    xdotool key "$1"
    await_count Quellmark 1 || fail "$1 did not close the box"
    sleep 0.3
}
# Fields and options where the layout puts them, at 96 dpi.
# The field's tooltip shows after a moment; it must not take the keys that follow.
click 200 36 && sleep 1.5 && xdotool type --delay 10 "$(wine_path "$work/in.trk")"
click 200 84 && sleep 1.5 && xdotool type --delay 10 "$(wine_path "$work/out.trk")"
click 46 172
click 222 170
shot "$main" windows-window
click 70 268
await_count Quellmark 2 || true
[[ -f $work/out.trk ]] || fail "no output written"
cmp -s "$work/out.trk" "$work/expected.trk" || fail "output differs from the Linux build's"
answer Return "no message box"

# Once the box is gone, Enter presses Remove Icons, which had the keyboard; the typed output
# exists, so the run asks first, and Enter (Cancel) keeps the file.
printf 'kept\r\n' >"$work/out.trk"
xdotool key Return
answer Return "Enter after the box started no run"
[[ $(cat "$work/out.trk") == $'kept\r' ]] || fail "a second run replaced its output unasked"

# The Open dialog takes a full path typed into its name field.
cp "$work/in.trk" "$work/chosen.trk"
click 420 36
dialog=$(window Open) || fail "no Open dialog"
xdotool windowfocus --sync "$dialog"
xdotool type --delay 10 "$(wine_path "$work/chosen.trk")"
xdotool key Return
await_count Open 0 || fail "the Open dialog stayed"
click 70 268
for _ in $(seq 100); do [[ -f $work/NoIcons_chosen.trk ]] && break; sleep 0.1; done
cmp -s "$work/NoIcons_chosen.trk" "$work/expected.trk" || fail "the chosen track was not converted"
answer Return "no box after the chosen track"

# Two starts at once, as Explorer makes them for two tracks: one list in the running window.
cp "$work/in.trk" "$work/a.trk"
cp "$work/in.trk" "$work/b.trk"
printf 'earlier\r\n' >"$work/NoIcons_a.trk"
for track in a b; do
    "$wine" "$exe" "$(wine_path "$work/$track.trk")" </dev/null >/dev/null 2>&1 &
done
sleep 2
[[ $(count Quellmark) -eq 1 ]] || fail "a later start opened a window of its own"
for key in Escape alt+F4; do
    click 70 268
    answer "$key" "no question before replacing"
    [[ ! -f $work/NoIcons_b.trk ]] || fail "$key in the question converted the list"
done
click 70 268
box=$(box_over Quellmark "$main") || fail "no question before replacing"
xdotool windowfocus --sync "$box"
xdotool key shift+Tab space
for _ in $(seq 100); do [[ -f $work/NoIcons_b.trk ]] && break; sleep 0.1; done
cmp -s "$work/NoIcons_a.trk" "$work/expected.trk" ||
    fail "the list opened by two starts was not converted"
answer Return "no summary of the list"

# A later start in another folder hands over the track it names there, not the one of that
# name in the window's folder.
mkdir "$work/other"
cp "$work/in.trk" "$work/other/rel.trk"
printf 'player W\r\n' >"$work/rel.trk"
(cd "$work/other" && exec "$wine" "$exe" rel.trk) </dev/null >/dev/null 2>&1
# Tracks handed over are gathered for 300 ms, into one list where several starts come at once.
sleep 1
click 70 268
answer Return "no box after the handed-over track"
cmp -s "$work/other/NoIcons_rel.trk" "$work/expected.trk" ||
    fail "the track handed over from another folder was not converted"
[[ ! -e $work/NoIcons_rel.trk ]] || fail "the window converted the track of its own folder"

# A list with a failure: its summary opens large enough for a reason of over 300 characters.
long=$(printf 'n%.0s' $(seq 246)).trk
cp "$work/in.trk" "$work/$long"
cp "$work/in.trk" "$work/d.trk"
(cd "$work" && exec "$wine" "$exe" d.trk "$long") </dev/null >/dev/null 2>&1
sleep 1
click 70 268
box=$(box_over Quellmark "$main") || fail "no summary of a list with a failure"
read -r width height < <(xdotool getwindowgeometry "$box" |
    sed -n 's/.*Geometry: \([0-9]*\)x\([0-9]*\).*/\1 \2/p')
((width >= 440 && height >= 300)) || fail "the summary opened at ${width}x$height"
shot "$box" windows-summary
answer Return

click 400 268
for _ in $(seq 50); do kill -0 "$program" 2>/dev/null || break; sleep 0.1; done
kill -0 "$program" 2>/dev/null && fail "Bail Out left the program running"
program=
# The display ends with the drive, and Wine's desktop on it; the prefix's server then ends too.
# The drive runs alone: it ends once that server is gone, so that the tests after it start a
# new one rather than meet this one on its way out.
kill "$xvfb"
wait "$xvfb" 2>/dev/null || true
timeout 30 "${WINESERVER:-/usr/lib/wine/wineserver}" -w || true
echo "window driven: output as the Linux build's, Enter after a box, the one-track question," \
    "Open dialog, one list from two starts, a start in another folder, a summary readable as" \
    "it opens, Bail Out"
