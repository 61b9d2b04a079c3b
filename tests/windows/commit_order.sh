#!/usr/bin/env bash
# The Windows build's commit, seen from Linux under Wine: the new track is flushed to disk
# before the hidden file takes the output's name. Wine's client process makes the flush and its
# server the rename, so both are traced.
#   commit_order.sh WINDOWS_EXE WINE_RUNNER
set -euo pipefail
exe=$(realpath "$1") wine_run=$(realpath "$2")
if [[ ! -x /usr/bin/strace ]]; then
    echo "skipped: no strace"
    exit 77
fi
work=$(mktemp -d)
tracer=
trap 'exec 4>&-; kill $tracer 2>/dev/null || true; rm -rf "$work"' EXIT
cd "$work"
# A program that waits on a pipe keeps the server up, so that it can be traced throughout.
mkfifo keep
"$wine_run" "$exe" -q - <keep >/dev/null 2>&1 &
exec 4>keep
# Once the keeper has connected, the server it keeps up is the one that will do the rename.
sleep 1
server=
for _ in $(seq 100); do
    server=$(pgrep -n wineserver || true)
    [[ -n "$server" ]] && break
    sleep 0.1
done
if [[ -z "$server" ]]; then
    echo "skipped: no wineserver to trace"
    exit 77
fi
seq 400000 | awk '{ printf "  %d 279 1 0\r\n", $1 }' >t.trk
printf 'earlier\r\n' >out.trk
strace -ttt -f -p "$server" -e trace=rename,renameat,renameat2 -o server.trace 2>/dev/null &
tracer=$!
sleep 0.5
strace -ttt -f -e trace=fsync,fdatasync -o client.trace "$wine_run" "$exe" -q -f -o out.trk t.trk ||
    true
sleep 0.5
kill "$tracer"
wait "$tracer" 2>/dev/null || true
flushed=$(grep -E 'f(data)?sync\(' client.trace | grep -v 'resumed' | tail -1 | awk '{print $2}')
renamed=$(grep -E 'rename.*\.quellmark-.*out\.trk' server.trace | tail -1 | awk '{print $2}')
echo "flushed at ${flushed:-never}, renamed at ${renamed:-never}"
[[ -n "$flushed" && -n "$renamed" ]] && awk -v f="$flushed" -v r="$renamed" 'BEGIN { exit !(f < r) }'
