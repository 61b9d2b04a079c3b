#!/usr/bin/env bash
# The Linux window driven as a player drives it, on a virtual display with a window manager:
# a track named relative to the program's folder gives quellmark-convert's bytes; Enter after
# the box that ends a run starts the next run, never Bail Out; a second run of one track asks
# before it replaces the output, and Enter or Esc keep it; a list with a failure opens its
# summary large enough for the reason; Alt+F4 ends the program with status 0.
#   window_drive.sh QUELLMARK QUELLMARK_CONVERT
set -euo pipefail
quellmark=$(realpath "$1")
convert=$(realpath "$2")
here=$(cd "$(dirname "$0")/../.." && pwd)
# shellcheck source=../support/window_drive.sh
source "$here/tests/support/window_drive.sh"

export QT_QPA_PLATFORM=xcb
# A sanitizer build fails on leaks of its own, not on the system libraries'.
export LSAN_OPTIONS=suppressions=$here/tests/window/third_party_leaks.supp

# Waits until the window manager has given $1 the keyboard.
await_active() {
    for _ in $(seq 100); do
        [[ $(xdotool getactivewindow 2>/dev/null) == "$1" ]] && return
        sleep 0.1
    done
    fail "$2 never had the keyboard"
}
# Starts the window in the drive's folder with the tracks given; sets main to its id.
start() {
    (cd "$work" && exec "$quellmark" "$@") </dev/null >/dev/null 2>"$work/said" &
    program=$!
    main=$(window Quellmark) || fail "no window"
    await_active "$main" "the window"
}
# Enter in the window, which must bring up a box; the box has the keyboard once this returns.
enter_for_box() {
    xdotool key Return
    box=$(box_over Quellmark "$main") ||
        fail "Enter brought no box$(kill -0 "$program" 2>/dev/null || echo ': the program ended')"
    await_active "$box" "the box"
}
# Answers the box with key $1; the window has the keyboard again once this returns.
answer() {
    xdotool key "$1"
    await_count Quellmark 1 || fail "$1 did not close the box"
    await_active "$main" "the window after the box"
}
end() {
    xdotool key alt+F4
    local status=0
    wait "$program" || status=$?
    program=
    [[ $status -eq 0 ]] || fail "the window ended with status $status: $(head -c 2000 "$work/said")"
}

"$here/tests/windows/make_track.sh" >"$work/in.trk"
"$convert" -q -o "$work/expected.trk" "$work/in.trk"
start in.trk
shot "$main" window
enter_for_box
answer Return
cmp -s "$work/NoIcons_in.trk" "$work/expected.trk" || fail "output differs from quellmark-convert's"
printf 'kept\r\n' >"$work/NoIcons_in.trk"
for key in Return Escape; do
    enter_for_box
    [[ $key == Escape ]] || shot "$box" one-track-question
    answer "$key"
    [[ $(cat "$work/NoIcons_in.trk") == $'kept\r' ]] || fail "$key in the question replaced the output"
done
end

# A name of 246 letters: its output's name is longer than a folder takes.
long=$(printf 'n%.0s' $(seq 246)).trk
cp "$work/in.trk" "$work/$long"
cp "$work/in.trk" "$work/d.trk"
start d.trk "$long"
enter_for_box
# The reason, over 300 characters, wraps to a dozen lines at the box's width; with the counts,
# the list's two lines and OK, a box of less than 560 by 340 pixels cuts something.
read -r width height < <(xdotool getwindowgeometry "$box" |
    sed -n 's/.*Geometry: \([0-9]*\)x\([0-9]*\).*/\1 \2/p')
((width >= 560 && height >= 340)) || fail "the summary opened at ${width}x$height"
shot "$box" list-summary
answer Return
cmp -s "$work/NoIcons_d.trk" "$work/expected.trk" || fail "the list's track was not converted"
enter_for_box
answer Escape
end
echo "window driven: output as quellmark-convert's, Enter after each box, the one-track" \
    "question, a summary readable as it opens, Alt+F4"
