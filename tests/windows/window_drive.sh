#!/usr/bin/env bash
# quellmark.exe driven as a user drives it, under Wine on a virtual display: two track names
# typed (a while after the click, when a tooltip shows), "Range Only" and "Time Compression"
# picked, Remove Icons gives the Linux build's bytes and "Finished Processing"; the Open dialog
# returns a typed full path; two more starts hand their tracks to the window as one list, whose
# question Esc and the box's close answer as Cancel; Bail Out ends it.
#   window_drive.sh QUELLMARK_EXE   (the Linux converter in $QUELLMARK_LINUX_CONVERT)
set -euo pipefail
exe=$(realpath "$1")
linux=${QUELLMARK_LINUX_CONVERT:-}
for tool in Xvfb xdotool; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
[[ -x "$linux" ]] || { echo "skipped: QUELLMARK_LINUX_CONVERT names no Linux build"; exit 77; }

here=$(cd "$(dirname "$0")/../.." && pwd)
build=${WINDOWS_BUILD_DIR:-build-windows}
[[ $build == /* ]] || build=$here/$build
export WINEPREFIX=${WINEPREFIX:-$build/wine-prefix} WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
work=$(mktemp -d)
display=:$((40 + RANDOM % 100))
Xvfb "$display" -screen 0 1024x768x24 -dpi 96 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
program=
cleanup() {
    [[ -n $program ]] && kill "$program" 2>/dev/null
    kill "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
export DISPLAY=$display
fail() {
    echo "failed: $*"
    exit 1
}
# Polls for a visible window named exactly $1; prints its id.
window() {
    for _ in $(seq 150); do
        local found
        found=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1 || true)
        [[ -n $found ]] && { echo "$found"; return; }
        sleep 0.2
    done
    return 1
}
count() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | wc -l; }
click() { xdotool mousemove --window "$main" "$1" "$2" click 1; }

"$here/tests/windows/make_track.sh" >"$work/in.trk"
"$linux" -q -s range -c time-compression -o "$work/expected.trk" "$work/in.trk" || true
wine_path() { echo "Z:${1//\//\\}"; }

"${WINE:-/usr/lib/wine/wine64}" "$exe" </dev/null >/dev/null 2>&1 &
program=$!
main=$(window Quellmark) || fail "no window"
sleep 0.5
xdotool windowfocus --sync "$main"
# Fields and options where the layout puts them, at 96 dpi.
# The field's tooltip shows after a moment; it must not take the keys that follow.
click 200 36 && sleep 1.5 && xdotool type --delay 10 "$(wine_path "$work/in.trk")"
click 200 84 && sleep 1.5 && xdotool type --delay 10 "$(wine_path "$work/out.trk")"
click 46 172
click 222 170
click 70 268
for _ in $(seq 100); do [[ $(count Quellmark) -ge 2 ]] && break; sleep 0.1; done
[[ -f $work/out.trk ]] || fail "no output written"
cmp -s "$work/out.trk" "$work/expected.trk" || fail "output differs from the Linux build's"
box=$(xdotool search --onlyvisible --name '^Quellmark$' | grep -v "^$main\$" | head -1)
[[ -n $box ]] || fail "no message box"
xdotool windowfocus --sync "$box"
xdotool key Return
for _ in $(seq 50); do [[ $(count Quellmark) -eq 1 ]] && break; sleep 0.1; done

# The Open dialog takes a full path typed into its name field.
cp "$work/in.trk" "$work/chosen.trk"
click 420 36
dialog=$(window Open) || fail "no Open dialog"
xdotool windowfocus --sync "$dialog"
xdotool type --delay 10 "$(wine_path "$work/chosen.trk")"
xdotool key Return
for _ in $(seq 50); do [[ $(count Open) -eq 0 ]] && break; sleep 0.1; done
click 70 268
for _ in $(seq 100); do [[ -f $work/NoIcons_chosen.trk ]] && break; sleep 0.1; done
cmp -s "$work/NoIcons_chosen.trk" "$work/expected.trk" || fail "the chosen track was not converted"
for _ in $(seq 100); do [[ $(count Quellmark) -ge 2 ]] && break; sleep 0.1; done
box=$(xdotool search --onlyvisible --name '^Quellmark$' | grep -v "^$main\$" | head -1)
xdotool windowfocus --sync "$box"
xdotool key Return
sleep 0.5

# Two starts at once, as Explorer makes them for two tracks: one list in the running window.
cp "$work/in.trk" "$work/a.trk"
cp "$work/in.trk" "$work/b.trk"
printf 'earlier\r\n' >"$work/NoIcons_a.trk"
for track in a b; do
    "${WINE:-/usr/lib/wine/wine64}" "$exe" "$(wine_path "$work/$track.trk")" </dev/null \
        >/dev/null 2>&1 &
done
wait_question() {
    click 70 268
    for _ in $(seq 100); do [[ $(count Quellmark) -ge 2 ]] && break; sleep 0.1; done
    box=$(xdotool search --onlyvisible --name '^Quellmark$' | grep -v "^$main\$" | head -1)
    [[ -n $box ]] || fail "no question before replacing"
    xdotool windowfocus --sync "$box"
}
sleep 2
[[ $(count Quellmark) -eq 1 ]] || fail "a later start opened a window of its own"
wait_question
xdotool key Escape
for _ in $(seq 50); do [[ $(count Quellmark) -eq 1 ]] && break; sleep 0.1; done
sleep 0.5
[[ ! -f $work/NoIcons_b.trk ]] || fail "Esc in the question converted the list"
wait_question
xdotool key alt+F4
for _ in $(seq 50); do [[ $(count Quellmark) -eq 1 ]] && break; sleep 0.1; done
sleep 0.5
[[ ! -f $work/NoIcons_b.trk ]] || fail "closing the question converted the list"
wait_question
xdotool key shift+Tab space
for _ in $(seq 100); do [[ -f $work/NoIcons_b.trk ]] && break; sleep 0.1; done
cmp -s "$work/NoIcons_a.trk" "$work/expected.trk" ||
    fail "the list opened by two starts was not converted"
box=$(xdotool search --onlyvisible --name '^Quellmark$' | grep -v "^$main\$" | head -1)
xdotool windowfocus --sync "$box"
xdotool key Return
sleep 0.5

click 400 268
for _ in $(seq 50); do kill -0 "$program" 2>/dev/null || break; sleep 0.1; done
kill -0 "$program" 2>/dev/null && fail "Bail Out left the program running"
program=
echo "window driven: output as the Linux build's, Open dialog, one list from two starts, Bail Out"
