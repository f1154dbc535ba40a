#!/bin/sh
# Starts the Standalone app on a virtual screen (Xvfb), waits for its window,
# saves a screenshot of the window and checks that the editor is in it.
#
#   standalone_screenshot.sh <Standalone binary> <screenshot.png>
#
# Needs the Debian packages xvfb, x11-utils (xwininfo) and imagemagick
# (import, stream, identify); the build scripts install them, so a missing tool fails
# the test instead of skipping it.
set -u

here=$(cd "$(dirname "$0")" && pwd)

fail() {
    echo "standalone_screenshot.sh: $*" >&2
    exit 1
}

if [ "${1:-}" != "--on-display" ]; then
    [ $# -eq 2 ] || fail "usage: $0 <Standalone binary> <screenshot.png>"
    for tool in Xvfb xwininfo import stream identify od awk; do
        command -v "$tool" >/dev/null 2>&1 || fail "$tool not found (Debian packages xvfb, x11-utils, imagemagick)"
    done
    [ -x "$1" ] || fail "no Standalone app at $1"
    exec "$here/with_display.sh" "$0" --on-display "$1" "$2"
fi

app=$2
screenshot=$3
mkdir -p "$(dirname "$screenshot")"
rm -f "$screenshot"

# The app keeps its settings (audio device, window position) under $HOME;
# give it a home of its own so every run starts the same way.
home=$(mktemp -d)
HOME=$home "$app" >"$home/app.log" 2>&1 &
appPid=$!

stopApp() {
    kill "$appPid" 2>/dev/null
    wait "$appPid" 2>/dev/null
    rm -rf "$home"
}

# The window's line in the tree: 0x... "TarnwickCorvane": (...)  WxH+X+Y  +X+Y
window=""
tries=0
while [ -z "$window" ]; do
    if ! kill -0 "$appPid" 2>/dev/null; then
        cat "$home/app.log" >&2
        stopApp
        fail "the app exited before showing a window"
    fi
    if [ "$tries" -ge 300 ]; then
        stopApp
        fail "no TarnwickCorvane window after 30 s"
    fi
    window=$(xwininfo -root -tree 2>/dev/null | awk '/"TarnwickCorvane"/ { print $1; exit }')
    tries=$((tries + 1))
    sleep 0.1
done

# The editor's marks: the dark grey title word (#3d3f44) of the background
# picture, drawn 1:1, and the black of the first knob's disc and the texts.
# Prints "<title pixels> <black pixels>".
countMarks() {
    stream -map rgb -storage-type char "$1" - | od -An -v -tu1 -w3 |
        awk '$1 == 61 && $2 == 63 && $3 == 68 { title++ }
             $1 == 0 && $2 == 0 && $3 == 0 { black++ }
             END { print title + 0, black + 0 }'
}

# The window maps first and is painted a moment later: take screenshots
# until the editor is in one, for up to 20 s.
title=0
black=0
tries=0
while :; do
    if import -window "$window" "$screenshot" 2>/dev/null && [ -s "$screenshot" ]; then
        counts=$(countMarks "$screenshot")
        title=${counts% *}
        black=${counts#* }
        [ "$title" -gt 100 ] && [ "$black" -gt 2000 ] && break
    fi
    if [ "$tries" -ge 40 ]; then
        break
    fi
    tries=$((tries + 1))
    sleep 0.5
done
stopApp

[ -s "$screenshot" ] || fail "import could not capture window $window"
size=$(identify -format '%w %h' "$screenshot") || fail "cannot read $screenshot"
width=${size% *}
height=${size#* }
echo "window $window: $width x $height, $title title pixels, $black black pixels"
[ "$width" -ge 694 ] && [ "$height" -ge 275 ] || fail "window is $width x $height, smaller than the editor"
[ "$title" -gt 100 ] || fail "no title lettering in the window: the editor's background is not shown"
[ "$black" -gt 2000 ] || fail "too few black pixels: the knobs are not shown"

echo "screenshot: $screenshot"
