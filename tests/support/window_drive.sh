# What the real-window drives share, sourced by them: a virtual display of their own with a
# window manager, as on a player's desktop, a folder and a home of their own, and looks for
# the windows on it. The caller sets `program` to the pid of what it
# starts, so that it ends with the drive. With QUELLMARK_SHOTS naming a folder, the drive keeps
# screenshots there (ImageMagick's import), and the screen as it failed.
for tool in Xvfb xdotool openbox; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
work=$(mktemp -d)
# The server picks a free display number and writes it, so that no other display is driven.
Xvfb -displayfd 3 -screen 0 1024x768x24 -dpi 96 -nolisten tcp 3>"$work/display" \
    >/dev/null 2>&1 &
xvfb=$!
program=
# What is gone already (the program, the display a drive ended itself) is no failure.
cleanup() {
    [[ -z $program ]] || kill "$program" 2>/dev/null || true
    kill "$xvfb" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
shot() {
    [[ -z ${QUELLMARK_SHOTS:-} ]] || import -window "$1" "$QUELLMARK_SHOTS/$2.png"
}
fail() {
    echo "failed: $*"
    shot root failed || true
    exit 1
}
for _ in $(seq 100); do [[ -s $work/display ]] && break; sleep 0.1; done
[[ -s $work/display ]] || fail "Xvfb did not start"
DISPLAY=:$(cat "$work/display")
export DISPLAY
# Nothing the window manager or the program keeps reaches the machine's own home.
mkdir -p "$work/home" "$work/run"
chmod 700 "$work/run"
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_CACHE_HOME=$work/home/.cache \
    XDG_DATA_HOME=$work/home/.local/share XDG_RUNTIME_DIR=$work/run
openbox --sm-disable --startup "touch $work/wm-ready" >/dev/null 2>&1 &
for _ in $(seq 100); do [[ -f $work/wm-ready ]] && break; sleep 0.1; done
[[ -f $work/wm-ready ]] || fail "the window manager did not start"
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
# Waits until $2 windows named $1 are visible, for at most ten seconds.
await_count() {
    for _ in $(seq 100); do
        [[ $(count "$1") -eq $2 ]] && return
        sleep 0.1
    done
    return 1
}
# A box named $1 over the window $2, once it shows; prints its id.
box_over() {
    await_count "$1" 2 || return 1
    xdotool search --onlyvisible --name "^$1\$" | grep -v "^$2\$" | head -1
}
