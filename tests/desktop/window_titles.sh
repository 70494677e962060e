#!/usr/bin/env bash
# The titles the desktop shows for the program's windows, read from a real X server as a
# window manager reads them (_NET_WM_NAME): the splash, then the main window. Nothing may be
# appended to the program's own captions.
set -euo pipefail
program=$(realpath "$1")
sample=$(realpath "$2")

dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
"$sample" "$dir" >/dev/null
cd "$dir"

seen=$(xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    QT_QPA_PLATFORM=xcb "$0" >/dev/null 2>&1 &
    pid=$!
    for _ in $(seq 1 150); do
        for id in $(xwininfo -root -children 2>/dev/null | grep -o "^ *0x[0-9a-f]*"); do
            xprop -id "$id" _NET_WM_NAME 2>/dev/null |
                sed -n "s/^_NET_WM_NAME(UTF8_STRING) = \"\(.*\)\"$/\1/p"
        done
        sleep 0.05
    done
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
' "$program" | sort -u)

echo "Titles seen:"
echo "$seen" | sed 's/^/  /'
status=0
for want in "Tarvel Cantabook 1.11" "About Tarvel Cantabook 1.11"; do
    if ! grep -qxF "$want" <<<"$seen"; then
        echo "missing: $want"
        status=1
    fi
done
# The hidden helper window Qt names after the program is no caption of ours.
if grep -v -x "CBK" <<<"$seen" | grep -q "CBK"; then
    echo "a title carries the application's name"
    status=1
fi
exit $status
