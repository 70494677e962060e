#!/usr/bin/env bash
# Sets up and starts Cantabook: installs what is missing, builds a release build and starts
# the program as its desktop entry does, so that the books last opened (or the books chooser)
# come up. On the first run it makes the sample books and starts on them, so that a newcomer
# sees the program at work at once. With CANTABOOK_DATA set it starts on the books there
# (making sample books there when it holds none).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

"$root/scripts/deps.sh"

# The same build directory and configuration as scripts/test.sh, so that neither undoes the
# other's set-up; only the program and the sample-data tool are built here.
build="$root/build/release"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCBK_WERROR=ON >/dev/null
cmake --build "$build" --target cantabook make-sample-data -j "$(nproc)"

has_books() { [ -e "$1/CBK1.dbf" ] || [ -e "$1/cbk1.dbf" ]; }

if [ -n "${CANTABOOK_DATA:-}" ]; then
    data="$CANTABOOK_DATA"
else
    data="${XDG_DATA_HOME:-$HOME/.local/share}/Cantabook/Sample"
    if has_books "$data"; then
        # Not the first run: the books last opened, or the chooser.
        cd "$HOME"
        exec "$build/app/cantabook"
    fi
fi
if ! has_books "$data"; then
    echo "Making sample books in $data"
    "$build/tools/make-sample-data" "$data"
fi
exec "$build/app/cantabook" "$data"
