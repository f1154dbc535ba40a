#!/bin/sh
# Runs a command with a virtual X display of its own: starts Xvfb on a free
# display number, runs the command with DISPLAY set, and stops Xvfb again.
# Fails (never skips) when Xvfb is missing: the build scripts install it.
set -u

for tool in Xvfb xprop; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "with_display.sh: $tool not found; install the Debian packages xvfb and x11-utils" >&2
        exit 1
    fi
done

numberFile=$(mktemp)
# -displayfd: Xvfb picks a free display itself and writes its number once it
# accepts connections, so parallel runs never race for one. -noreset keeps
# the atoms made below when their maker disconnects.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$numberFile" 2>/dev/null &
server=$!

waited=0
while ! grep -q '[0-9]' "$numberFile"; do
    if ! kill -0 "$server" 2>/dev/null || [ "$waited" -ge 200 ]; then
        echo "with_display.sh: Xvfb did not start" >&2
        kill "$server" 2>/dev/null
        rm -f "$numberFile"
        exit 1
    fi
    sleep 0.05
    waited=$((waited + 1))
done

DISPLAY=":$(tr -dc '0-9' <"$numberFile")"
export DISPLAY
rm -f "$numberFile"

# JUCE's windows use some window-manager atoms that JUCE only looks up and
# never creates (WM_PROTOCOLS, WM_STATE, ...); on a desktop the window manager
# has made them, on a bare Xvfb nobody has, and X rejects the requests that
# name them. Make them, as any desktop has them.
for atom in WM_PROTOCOLS WM_TAKE_FOCUS WM_DELETE_WINDOW _NET_WM_PING WM_CHANGE_STATE WM_STATE \
            _NET_WM_WINDOW_TYPE _NET_WM_STATE _NET_WM_STATE_HIDDEN; do
    xprop -root -f "$atom" 8s -set "$atom" "$atom" || {
        kill "$server" 2>/dev/null
        exit 1
    }
done

"$@"
status=$?

kill "$server" 2>/dev/null
wait "$server" 2>/dev/null
exit "$status"
