#!/usr/bin/env bash
# Sets up and starts Cantabook: installs what is missing, builds a release build, makes a
# sample data directory in the user's data location when there is none, and starts the
# program there (the program works on the tables of the directory it is started in).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

"$root/scripts/deps.sh"

# The same build directory and configuration as scripts/test.sh, so that neither undoes the
# other's set-up; only the program and the sample-data tool are built here.
build="$root/build/release"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCBK_WERROR=ON >/dev/null
cmake --build "$build" --target cantabook make-sample-data -j "$(nproc)"

data="${CANTABOOK_DATA:-${XDG_DATA_HOME:-$HOME/.local/share}/Cantabook}"
if [ ! -e "$data/CBK1.dbf" ] && [ ! -e "$data/cbk1.dbf" ]; then
    echo "Making sample data in $data"
    "$build/tools/make-sample-data" "$data"
fi

cd "$data"
exec "$build/app/cantabook"
