#!/usr/bin/env bash
# quellmark-convert.exe under Wine against the Linux build: the same outputs, byte for byte,
# and the same exit status for a folder of tracks, for every icon state and command.
#   same_bytes.sh WINDOWS_EXE WINE_RUNNER   (the Linux program in $QUELLMARK_LINUX_CONVERT)
set -euo pipefail
exe=$(realpath "$1") wine_run=$(realpath "$2")
linux=${QUELLMARK_LINUX_CONVERT:-}
if [[ ! -x "$linux" ]]; then
    echo "skipped: QUELLMARK_LINUX_CONVERT names no Linux build to compare with"
    exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/tracks"

head=$'[$$$header]\r\nversion 3\r\n  player WING\r\nplayerNum 3\r\n[$$$record]\r\n'
for line in $(seq 20); do head+="  0 $line 0 0"$'\r\n'; done
body=$'  1520 17 4 0\r\n  1521 279 1 0\r\n  1522 5 1 0\r\n  1523 279 0 0\r\n'
printf '%s' "$head$body" > "$work/tracks/plain.trk"
printf '%s' "${head//$'\r'/}${body//$'\r'/}" > "$work/tracks/lf only.trk"
printf '%s\r  9 279 1 0\r\x1a  10 279 0 0' "$head" > "$work/tracks/lone cr and 1a.trk"
printf 'player W\r\nno record section\r\n' > "$work/tracks/no record.trk"
printf '%s' "$head$body" > "$work/tracks/Übung ✈.trk"
: > "$work/tracks/empty.trk"
{
    printf '%s' "$head"
    for _ in $(seq 20000); do printf '%s' "$body"; done
} > "$work/tracks/large.trk"

cd "$work/tracks"
tracks=(*.trk)
failures=0
for state in off range range-type range-type-name; do
    for command in views time-compression none; do
        mkdir -p "../linux-$state-$command" "../windows-$state-$command"
        linux_status=0 windows_status=0
        "$linux" -q -s "$state" -c "$command" -d "../linux-$state-$command" "${tracks[@]}" ||
            linux_status=$?
        "$wine_run" "$exe" -q -s "$state" -c "$command" -d "../windows-$state-$command" \
            "${tracks[@]}" </dev/null || windows_status=$?
        if [[ $linux_status != "$windows_status" ]] ||
            ! diff -r "../linux-$state-$command" "../windows-$state-$command" >/dev/null; then
            echo "differ: --icon-state $state --command $command" \
                "(exit $linux_status on Linux, $windows_status on Windows)"
            failures=$((failures + 1))
        fi
    done
done
# Through the standard streams too, where the C library's text mode would turn CR LF into LF
# and end the track at a 0x1A byte.
for track in plain.trk "lone cr and 1a.trk"; do
    "$linux" - <"$track" >../linux.out || true
    "$wine_run" "$exe" - <"$track" >../windows-stdin.out || true
    "$wine_run" "$exe" -o - "$track" </dev/null >../windows-named.out || true
    for out in ../windows-stdin.out ../windows-named.out; do
        if ! cmp -s ../linux.out "$out"; then
            echo "differ: $track through ${out#../windows-}"
            failures=$((failures + 1))
        fi
    done
done
# Standard output appended to the input is refused as on Linux and the track left as it was;
# the size limit ends a run that would read back its own output.
for way in named stdin; do
    cp plain.trk ../self.trk
    status=0
    if [[ $way == named ]]; then
        (ulimit -f 2048 && "$wine_run" "$exe" -o - ../self.trk </dev/null >>../self.trk) ||
            status=$?
    else
        (ulimit -f 2048 && "$wine_run" "$exe" - <../self.trk >>../self.trk) || status=$?
    fi
    if [[ $status != 1 ]] || ! cmp -s plain.trk ../self.trk; then
        echo "differ: a track appended to itself through $way (exit $status)"
        failures=$((failures + 1))
    fi
done
echo "${#tracks[@]} tracks, 12 settings and the standard streams: $failures differ"
[[ $failures == 0 ]]
