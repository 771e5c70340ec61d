#!/bin/sh
# Retakes docs/tessraprog-demo.png, the README's picture: the tool after a
# parameter and a measurement exchange with the simulated installation that
# scripts/start.sh sets up, on a virtual display (Xvfb). Takes root, as that
# demo does, and installs Xvfb, xdotool and ImageMagick when they are missing.
set -eu
cd "$(dirname "$0")/.."
if [ "$(id -u)" -ne 0 ]; then
    echo "The demo's network namespace takes root: sudo sh scripts/screenshot.sh"
    exit 1
fi
for tool in Xvfb xdotool import; do
    if ! command -v "$tool" >/dev/null; then
        apt-get update -qq
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends xvfb xdotool imagemagick
        break
    fi
done

display=:97
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
demo_pid=""
log=$(mktemp)
cleanup() {
    if [ -n "$demo_pid" ]; then
        kill "$demo_pid" 2>/dev/null || true
        wait "$demo_pid" 2>/dev/null || true
    fi
    kill "$xvfb_pid" 2>/dev/null || true
    rm -f "$log"
}
trap cleanup EXIT
export DISPLAY="$display"
sleep 1

sh scripts/start.sh >"$log" 2>&1 &
demo_pid=$!
window=$(timeout 300 xdotool search --sync --name "Korvan-Programmer" | head -n 1)
# Where the buttons sit in the window (its layout is fixed); a click needs no window manager.
button_row=36
parameter_request=168
measurement_request=292
quit=916
click() {
    xdotool mousemove --window "$window" "$1" "$button_row" click 1
}
wait_for() {
    timeout 30 sh -c "until grep -q '$1' '$log'; do sleep 0.2; done"
}
wait_for 'ready;'
click "$parameter_request"
wait_for 'reply 201'
sleep 1
click "$measurement_request"
wait_for 'reply 206'
sleep 1
mkdir -p docs
import -window "$window" docs/tessraprog-demo.png
# The tool's exit button ends it, and with it the simulation and the namespace.
click "$quit"
wait "$demo_pid" || true
demo_pid=""
sed -n '/ready;/,$p' "$log"
echo "docs/tessraprog-demo.png"
