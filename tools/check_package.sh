#!/bin/sh
# Installs the Debian package with apt-get, checks that the system's triggers
# took in its file type and pixbuf loader, removes it, and checks that nothing
# of it is left: no file, no entry in the loaders cache or the MIME database.
# Changes the system: run as root on a machine (or container) meant for it.
#
#   tools/check_package.sh build-package/scrlab_<version>_<arch>.deb SCREEN
set -eu
deb=$(realpath "$1")
screen=$(realpath "$2")
fail() { echo "check_package: $*" >&2; exit 1; }
[ "$(id -u)" = 0 ] || fail "run as root"
! dpkg-query -W -f='${Status}' scrlab 2>/dev/null | grep -q "ok installed" || fail "scrlab is installed already"

cache=$(pkg-config --variable=gdk_pixbuf_cache_file gdk-pixbuf-2.0 2>/dev/null ||
        echo /usr/lib/x86_64-linux-gnu/gdk-pixbuf-2.0/2.10.0/loaders.cache)
type_file=/usr/share/mime/image/x-zx-spectrum-screen.xml
[ ! -e "$type_file" ] || fail "$type_file is there before the package"
files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { sub("^\\.", "", $6); print $6 }')

DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" >/dev/null || fail "apt-get install failed"
for file in $files; do
    [ -e "$file" ] || fail "$file is not installed"
done
grep -q 'libpixbufloader-scr.so' "$cache" || fail "the loaders cache does not list the screen loader"
[ -f "$type_file" ] || fail "the MIME database does not know image/x-zx-spectrum-screen"
# The system's own tools, with nothing set: a thumbnail through the cached loader.
out=$(mktemp --suffix=.png)
gdk-pixbuf-thumbnailer -s 128 "$screen" "$out" || fail "gdk-pixbuf-thumbnailer read no screen"
[ "$(od -An -tu1 -j16 -N8 "$out" | awk '{ print $3*256 + $4 "x" $7*256 + $8 }')" = 128x96 ] ||
    fail "the thumbnail is not 128x96"
rm -f "$out"
echo "check_package: installed: $(echo "$files" | wc -l) files, loader cached, file type known"
echo "check_package: depends on: $(dpkg-query -W -f='${Depends}' scrlab)"

DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq scrlab >/dev/null || fail "apt-get remove failed"
for file in $files; do
    [ ! -e "$file" ] || fail "$file is left behind"
done
! grep -q 'libpixbufloader-scr.so' "$cache" || fail "the loaders cache still lists the screen loader"
[ ! -e "$type_file" ] || fail "the MIME database still knows image/x-zx-spectrum-screen"
! dpkg-query -W -f='${Status}' scrlab 2>/dev/null | grep -q "config-files" || fail "configuration files remain"
echo "check_package: removed: no file left, loaders cache and MIME database rebuilt"
