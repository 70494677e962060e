#!/usr/bin/env bash
# Real copies of the program on the same books, under a real X server: new books made with
# --new open; a second copy on them gets the warning and changes nothing; after the first is
# killed (kill -9) the books open again, and a start without arguments goes straight back to
# them, the books remembered.
set -euo pipefail
program=$(realpath "$1")

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export HOME="$home" XDG_DATA_HOME="$home/data" XDG_CONFIG_HOME="$home/config"
books="$XDG_DATA_HOME/Cantabook/Harbor Cafe"

xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    program=$1 books=$2
    export QT_QPA_PLATFORM=xcb
    titles() {
        for id in $(xwininfo -root -children 2>/dev/null | grep -o "^ *0x[0-9a-f]*"); do
            xprop -id "$id" _NET_WM_NAME 2>/dev/null |
                sed -n "s/^_NET_WM_NAME(UTF8_STRING) = \"\(.*\)\"$/\1/p"
        done
    }
    # Waits until a window of that title is up: a minute at most, for a loaded machine.
    await() {
        for _ in $(seq 1 1200); do titles | grep -qxF "$1" && return 0; sleep 0.05; done
        echo "no window \"$1\" ($2)"; exit 1
    }
    sums() { (cd "$books" && md5sum *); }

    "$program" --new "$books" >/dev/null 2>&1 & first=$!
    await "Tarvel Cantabook 1.11" "new books"
    before=$(sums)
    "$program" "$books" >/dev/null 2>&1 & second=$!
    await "Warning" "second copy"
    [ "$(sums)" = "$before" ] || { echo "the second copy changed the books"; exit 1; }
    kill "$second"; wait "$second" || true
    kill -9 "$first"; wait "$first" || true

    cd "$HOME"
    "$program" >/dev/null 2>&1 & third=$!
    await "Tarvel Cantabook 1.11" "remembered books after kill -9"
    if titles | grep -qxF "Warning"; then echo "refused after kill -9"; exit 1; fi
    kill "$third"; wait "$third" || true
' bash "$program" "$books"
grep -qxF "$books" "$XDG_CONFIG_HOME/Cantabook/books.conf"
echo "second copy refused; books free after kill -9 and remembered"
