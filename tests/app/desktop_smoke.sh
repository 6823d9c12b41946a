#!/usr/bin/env bash
# The workbench in a real X server: start it with a model, press F9, wait for
# the script's results file, press F8 and expect the time course still drawn
# beside the steady-state report, quit with Ctrl+Q and expect a clean exit.
# This exercises start-up, the event loop, the worker threads and shutdown
# outside the offscreen platform the other window tests use.
#
#   desktop_smoke.sh KORA_EXECUTABLE
#
# Run it under xvfb-run (CTest does); needs xdotool and ImageMagick's import
# and convert.
set -euo pipefail

kora=$1
work=$(mktemp -d)
app=""
cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A private home: no settings, recovery copies or running instance of the
# user's own can reach the test.
export HOME=$work XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_RUNTIME_DIR=$work/run
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM

cat >"$work/smoke.krm" <<'EOF'
NAME smoke
X' = 1 - X
X = 0.5
tf = 5
hr = 0.5
!! X
SCRIPT
RUN
SAVE RES TO out
END SCRIPT
EOF
printf '[General]\nNoAskSaveResults=1\n' >"$work/settings.ini"

fail() {
  echo "desktop smoke test: $*" >&2
  echo "--- stderr of kora:" >&2
  cat "$work/stderr.txt" >&2 || true
  exit 1
}

# Waits up to $1 tenths of a second for the command after it to succeed.
wait_for() {
  local tenths=$1
  shift
  for _ in $(seq 1 "$tenths"); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}

"$kora" --settings "$work/settings.ini" "$work/smoke.krm" >"$work/stdout.txt" 2>"$work/stderr.txt" &
app=$!

frame_window() { xdotool search --onlyvisible --name '^KORA - ' 2>/dev/null | head -n 1; }
has_frame() { [ -n "$(frame_window)" ]; }
wait_for 300 has_frame || fail "no frame window titled 'KORA - ...' within 30 s"
win=$(frame_window)

# The start-up box closes itself; the keys must reach the frame.
sleep 3
xdotool windowfocus --sync "$win" 2>/dev/null || true
xdotool key --clearmodifiers F9

has_results() { [ -s "$work/out.res" ]; }
wait_for 600 has_results || fail "F9 did not produce the script's results file within 60 s"
grep -q '^\[' "$work/out.res" || fail "the results file has no sections"

# The first line of a plot is drawn in red (stock colour 1), smoothed: near
# red pixels count. The legend's sample alone stays below the bound.
red_pixels() {
  import -window root "$work/shot.png" 2>/dev/null || return 1
  convert "$work/shot.png" -fuzz 20% -fill black +opaque 'rgb(255,0,0)' \
    -fill white -opaque 'rgb(255,0,0)' -format '%[fx:int(mean*w*h)]' info:
}
drawn() { [ "$(red_pixels)" -gt 80 ]; }
wait_for 100 drawn || fail "the time course of F9 is not drawn"

# F8 opens the report window in front; Ctrl+Tab brings the model's window
# back, its time course still drawn.
xdotool windowfocus --sync "$win" 2>/dev/null || true
xdotool key --clearmodifiers F8
sleep 2
xdotool windowfocus --sync "$win" 2>/dev/null || true
xdotool key --clearmodifiers ctrl+Tab
sleep 1
wait_for 50 drawn || fail "after F8 the time course of F9 is no longer drawn"

xdotool windowfocus --sync "$win" 2>/dev/null || true
xdotool key --clearmodifiers ctrl+q
ended() { ! kill -0 "$app" 2>/dev/null; }
wait_for 300 ended || fail "Ctrl+Q did not end the program within 30 s"
status=0
wait "$app" || status=$?
app=""
[ "$status" -eq 0 ] || fail "the program exited with status $status"
echo "desktop smoke test: started, ran, saved and quit cleanly"
