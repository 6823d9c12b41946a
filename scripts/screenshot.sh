#!/usr/bin/env bash
# Retakes the README's picture of the workbench: the example sweep, its time
# plot after F9 and the solver information panel, in a private X server.
#
#   scripts/screenshot.sh [KORA_EXECUTABLE] [OUT.png]
#
# Needs xvfb, xdotool and imagemagick (scripts/install-deps.sh installs them).
set -euo pipefail
cd "$(dirname "$0")/.."

kora=${1:-build/src/app/kora}
out=${2:-docs/workbench.png}
model=${MODEL:-examples/growth_sweep.krm}
[ -x "$kora" ] || { echo "screenshot: $kora is not built (make programs)" >&2; exit 66; }

work=$(mktemp -d)
display=""
for n in $(seq 90 130); do
  if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then display=":$n"; break; fi
done
[ -n "$display" ] || { echo "screenshot: no free X display" >&2; exit 70; }

Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xserver=$!
app=""
cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null || true
  kill "$xserver" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
sleep 1

export DISPLAY=$display HOME=$work XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data \
       XDG_RUNTIME_DIR=$work/run
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM
printf '[General]\nSolverShowInfo=1\nNoAskSaveResults=1\n' >"$work/settings.ini"
cp "$model" "$work/"

"$kora" --settings "$work/settings.ini" "$work/$(basename "$model")" >/dev/null 2>"$work/stderr.txt" &
app=$!

win=""
for _ in $(seq 1 150); do
  win=$(xdotool search --onlyvisible --name '^KORA - ' 2>/dev/null | head -n 1 || true)
  [ -n "$win" ] && break
  sleep 0.2
done
[ -n "$win" ] || { echo "screenshot: no workbench window" >&2; cat "$work/stderr.txt" >&2; exit 1; }
# The start-up box closes itself first.
sleep 3
xdotool windowsize "$win" 1280 800 2>/dev/null || true
xdotool windowfocus --sync "$win" 2>/dev/null || true
xdotool key --clearmodifiers F9
sleep 3
import -display "$display" -window root "$out"
# Only the part of the screen the workbench covers.
convert "$out" -crop 924x656+0+0 +repage "$out"
echo "$out"
