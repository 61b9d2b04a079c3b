#!/usr/bin/env bash
# A small track with a header, the record marker, the preamble and a few toggles, on stdout.
printf '[$$$header]\r\nversion 3\r\n  player WING\r\nplayerNum 3\r\n[$$$record]\r\n'
for line in $(seq 20); do printf '  0 %d 0 0\r\n' "$line"; done
for time in $(seq 100); do printf '  %d 17 4 0\r\n  %d 279 %d 0\r\n' "$time" "$time" $((time % 2)); done
