#!/usr/bin/env bash
# Starts the Windows build's zbkedit.exe under Wine on the X display it is given (an
# Xvfb from scripts/test-windows.sh), finds its main window by its caption, ends it
# through the File menu's close and expects exit status 0. Usage: SCRIPT ZBKEDIT_EXE
set -euo pipefail
program=$1
wine=/usr/lib/wine/wine64
caption='ZBK-EDIT v0.18'

"$wine" "$program" &
pid=$!
# Ends the program if a step below fails, so that nothing outlives the display.
trap 'kill "$pid" 2> /dev/null || true' EXIT
window=$(timeout 60 xdotool search --sync --name "$caption" | head -1)
if [ -z "$window" ]; then
  echo "zbkedit.exe: no window captioned '$caption' appeared"
  exit 1
fi
# Keys reach a Wine window only once it has the focus.
xdotool windowfocus --sync "$window"
xdotool key alt+f
sleep 0.5
xdotool key x
status=0
timeout 30 tail --pid="$pid" -f /dev/null || { echo "zbkedit.exe: still running after File, Close"; exit 1; }
wait "$pid" || status=$?
trap - EXIT
echo "-- zbkedit.exe: main window '$caption' opened, File > Close ended it with status $status"
exit "$status"
