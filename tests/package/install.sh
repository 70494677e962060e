#!/usr/bin/env bash
# The Debian package, installed for real: build it, dpkg -i, ask the installed program for
# --help, start it under Xvfb by its desktop entry's Exec line (a first start offers the books
# chooser), look for its window, and remove the package again.
#
# Needs root (dpkg -i), dpkg-deb and xvfb-run; without them it is skipped (exit 77) with the
# reason. It also steps aside when a cantabook package is already installed, since it would
# replace and then remove it. Runs of this test on one machine take turns through a lock.
set -euo pipefail

build=$(realpath "$1")
skip() {
    echo "SKIPPED: $*"
    exit 77
}
[ "$(id -u)" -eq 0 ] || skip "installing a package needs root (dpkg -i)"
for tool in dpkg dpkg-deb xvfb-run xwininfo xprop flock; do
    command -v "$tool" >/dev/null || skip "$tool is not installed"
done

exec 9>/tmp/cantabook-package-test.lock
flock -w 600 9 || skip "another package test held the lock for ten minutes"
if dpkg-query -W -f='${Status}' cantabook 2>/dev/null | grep -q "ok installed"; then
    skip "a cantabook package is already installed; it is not replaced"
fi

work=$(mktemp -d)
installed=0
cleanup() {
    if [ "$installed" -eq 1 ]; then dpkg -r cantabook >/dev/null 2>&1 || true; fi
    rm -rf "$work"
}
trap cleanup EXIT

if ! cmake --build "$build" --target package >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log"
    echo "FAILED: the package did not build"
    exit 1
fi
deb=$(ls -t "$build"/cantabook_*.deb | head -n 1)
echo "Package: $(basename "$deb")"
dpkg-deb --field "$deb" Depends | sed 's/^/  Depends: /'

# dpkg takes one caller at a time; another installer on the machine is waited for.
for _ in $(seq 1 60); do
    if dpkg -i "$deb" >"$work/dpkg.log" 2>&1; then
        installed=1
        break
    fi
    grep -q "lock" "$work/dpkg.log" || {
        installed=1  # a half-configured package is removed all the same
        cat "$work/dpkg.log"
        echo "FAILED: dpkg -i"
        exit 1
    }
    sleep 5
done
[ "$installed" -eq 1 ] || { echo "FAILED: dpkg stayed locked"; exit 1; }

status=0
check() {  # check DESCRIPTION COMMAND...
    if "${@:2}"; then echo "ok: $1"; else echo "FAILED: $1"; status=1; fi
}
for file in /usr/bin/cantabook /usr/bin/make-sample-data \
    /usr/share/applications/cantabook.desktop /usr/share/icons/hicolor/128x128/apps/cantabook.png \
    /usr/share/icons/hicolor/48x48/apps/cantabook.png \
    /usr/share/metainfo/com.tarvel.Cantabook.metainfo.xml /usr/share/doc/cantabook/cbk.html; do
    check "installed $file" test -s "$file"
done
# The copyright statement in Debian's machine-readable form, and the changelog compressed as
# gzip -9n leaves it: no file name (flag byte 0) and no time stamp (four zero bytes), its
# first entry the package's own version.
doc=/usr/share/doc/cantabook
check "copyright is machine-readable" \
    grep -qx "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/" \
    "$doc/copyright"
check "copyright states a licence for every file" \
    bash -c 'grep -qx "Files: \*" "$0" && grep -q "^License: ." "$0"' "$doc/copyright"
check "installed $doc/changelog.gz" test -s "$doc/changelog.gz"
check "changelog.gz holds no name or time stamp" \
    test "$(od -An -tx1 -j3 -N5 "$doc/changelog.gz" | tr -d ' ')" = 0000000000
version=$(dpkg-deb --field "$deb" Version)
check "changelog opens with version $version" \
    bash -c 'gzip -dc "$0" | head -n 1 | grep -q "^cantabook ($1) "' "$doc/changelog.gz" "$version"
if command -v appstreamcli >/dev/null; then
    check "metainfo validates" appstreamcli validate --no-net \
        /usr/share/metainfo/com.tarvel.Cantabook.metainfo.xml
fi

# --help answers at once, with exit status 0 and the usage.
mkdir "$work/help" && cd "$work/help"
set +e
QT_QPA_PLATFORM=offscreen timeout 10 cantabook --help </dev/null >"$work/help.txt" 2>&1
help_status=$?
set -e
cd "$work"
check "cantabook --help exits with 0 (got $help_status)" test "$help_status" -eq 0
check "cantabook --help shows the usage" grep -q -- "--new DIR" "$work/help.txt"

# The desktop entry's Exec line, run as a launcher runs it, in a fresh home.
exec_line=$(sed -n 's/^Exec=//p' /usr/share/applications/cantabook.desktop)
export HOME="$work/home" XDG_DATA_HOME="$work/home/.local/share"
mkdir -p "$HOME"
titles=$(xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    QT_QPA_PLATFORM=xcb setsid bash -c "$0" >/dev/null 2>&1 &
    pid=$!
    for _ in $(seq 1 300); do
        seen=$(for id in $(xwininfo -root -children 2>/dev/null | grep -o "^ *0x[0-9a-f]*"); do
            xprop -id "$id" _NET_WM_NAME 2>/dev/null |
                sed -n "s/^_NET_WM_NAME(UTF8_STRING) = \"\(.*\)\"$/\1/p"
        done)
        if grep -qx "Cantabook: Choose Books" <<<"$seen"; then echo "$seen"; break; fi
        sleep 0.1
    done
    kill -- -"$pid" 2>/dev/null || kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
' "$exec_line" | sort -u)
# A first start knows no books yet, so it offers the chooser.
check "the desktop entry starts the books chooser" grep -qx "Cantabook: Choose Books" <<<"$titles"

dpkg -r cantabook >/dev/null
installed=0
check "removed /usr/bin/cantabook" test ! -e /usr/bin/cantabook
check "removed the desktop entry" test ! -e /usr/share/applications/cantabook.desktop
exit $status
