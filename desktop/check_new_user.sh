#!/bin/sh
# The desktop as a new user meets it: the build installed into a scratch
# folder, its desktop files in a scratch home (XDG_DATA_HOME, XDG_CONFIG_HOME)
# on a GNOME-like session, the pixbuf loader in a loaders cache beside the
# system's loaders, as the package's trigger would leave it. Then: the file
# type of x.scr, scrlab's entry made its default, a thumbnail made by
# gdk-pixbuf-thumbnailer, and `gio open x.scr` starting scrlab with the file
# loaded (its title checked in a private X server); and gio's types of
# pictures of ours and of disk.img and x.rgb, which keep the system's types.
#
#   check_new_user.sh BUILD_DIR SCREEN [PRELOAD]
# PRELOAD: sanitizer runtimes a system tool needs to load a sanitized loader.
set -eu

build=$1
screen=$2
preload=${3:-}
stage=$(mktemp -d)
xvfb=
cleanup() {
    [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
    [ -z "${scrlab:-}" ] || kill "$scrlab" 2>/dev/null || true
    rm -rf "$stage"
}
trap cleanup EXIT
fail() { echo "check_new_user: $*" >&2; exit 1; }

for tool in xdg-mime gio gdk-pixbuf-thumbnailer update-mime-database Xvfb xdotool; do
    command -v "$tool" >/dev/null || fail "$tool is missing (make deps installs it)"
done

DESTDIR=$stage/root cmake --install "$build" --prefix /usr >/dev/null || fail "cmake --install failed"
system=$stage/root/usr
export HOME=$stage/home
export XDG_DATA_HOME=$HOME/.local/share XDG_CONFIG_HOME=$HOME/.config XDG_CACHE_HOME=$HOME/.cache
export XDG_DATA_DIRS=/usr/share XDG_CURRENT_DESKTOP=GNOME XDG_RUNTIME_DIR=$stage/runtime
export PATH="$system/bin:$PATH"
mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
cp -r "$system/share/applications" "$system/share/icons" "$XDG_DATA_HOME/"

# What gio says a file is, by the desktop's file-type database.
content_type() { gio info -a standard::content-type "$1" | sed -n 's/^ *standard::content-type: //p'; }
mkdir -p "$stage/files"
head -c 13824 /dev/zero >"$stage/files/disk.img"  # a gigascreen's size, but named as disk images are
head -c 18432 /dev/zero >"$stage/files/x.rgb"     # a tricolour picture's size, named as SGI pictures are
disk_type=$(content_type "$stage/files/disk.img")
sgi_type=$(content_type "$stage/files/x.rgb")
[ -n "$disk_type" ] && [ -n "$sgi_type" ] || fail "gio gives disk.img or x.rgb no type"

mkdir -p "$XDG_DATA_HOME/mime/packages"
cp "$system"/share/mime/packages/*.xml "$XDG_DATA_HOME/mime/packages/"
update-mime-database "$XDG_DATA_HOME/mime"

entry=$(basename "$(ls "$XDG_DATA_HOME"/applications/*.desktop)")
file=$stage/files/x.scr
cp "$screen" "$file"

# Our types for our pictures; the system's for disk.img and x.rgb, as before.
head -c 12288 /dev/zero >"$stage/files/x.mlt"
head -c 11136 /dev/zero >"$stage/files/x.bsc"
head -c 6976 /dev/zero >"$stage/files/ulaplus.scr"
for pair in x.mlt:image/x-zx-spectrum-multicolour x.bsc:image/x-zx-spectrum-border \
    ulaplus.scr:image/x-zx-spectrum-screen "disk.img:$disk_type" "x.rgb:$sgi_type"; do
    name=${pair%%:*}
    found=$(content_type "$stage/files/$name")
    [ "$found" = "${pair#*:}" ] || fail "gio says $name is '$found', not ${pair#*:}"
done
case $disk_type$sgi_type in
    *zx-spectrum*) fail "disk.img or x.rgb took our type" ;;
esac

type=$(xdg-mime query filetype "$file")
[ "$type" = image/x-zx-spectrum-screen ] || fail "xdg-mime says x.scr is '$type'"
xdg-mime default "$entry" "$type"
default=$(xdg-mime query default "$type")
[ "$default" = "$entry" ] || fail "the default for $type is '$default', not $entry"

# The loaders cache as the trigger makes it: the system's loaders and ours.
loaders=$(pkg-config --variable=gdk_pixbuf_moduledir gdk-pixbuf-2.0)
query=$(pkg-config --variable=gdk_pixbuf_query_loaders gdk-pixbuf-2.0)
ours=$(find "$stage/root" -name 'libpixbufloader-scr.so')
[ -n "$ours" ] || fail "no pixbuf loader installed"
export GDK_PIXBUF_MODULE_FILE=$stage/loaders.cache
LD_PRELOAD=$preload ASAN_OPTIONS=detect_leaks=0 "$query" "$loaders"/*.so "$ours" >"$GDK_PIXBUF_MODULE_FILE"
LD_PRELOAD=$preload ASAN_OPTIONS=detect_leaks=0 gdk-pixbuf-thumbnailer -s 128 "$file" "$stage/thumb.png" ||
    fail "gdk-pixbuf-thumbnailer made no thumbnail"
size=$(od -An -tu1 -j16 -N8 "$stage/thumb.png" | awk '{ print $3*256 + $4 "x" $7*256 + $8 }')
[ "$size" = 128x96 ] || fail "the thumbnail is $size, not 128x96"

# gio open, as a file manager opens a file with its default program.
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$stage/display" 2>"$stage/xvfb.log" &
xvfb=$!
for _ in $(seq 100); do [ -s "$stage/display" ] && break; sleep 0.1; done
[ -s "$stage/display" ] || fail "Xvfb did not start"
export DISPLAY=:$(cat "$stage/display")
export QT_QPA_PLATFORM=xcb
gio open "$file" || fail "gio open failed"
window=
for _ in $(seq 300); do
    window=$(xdotool search --name '^New window \( 0 \)$' 2>/dev/null | head -n 1) && [ -n "$window" ] && break
    sleep 0.1
done
[ -n "$window" ] || fail "no scrlab window opened"
scrlab=$(xdotool getwindowpid "$window" 2>/dev/null || true)
# The title names the file once the pointer is over a view.
eval "$(xdotool getwindowgeometry --shell "$window")"
title=
for step in $(seq 20); do
    xdotool mousemove $((X + WIDTH * step / 21)) $((Y + HEIGHT / 3))
    sleep 0.2
    title=$(xdotool getwindowname "$window")
    case $title in *"file:$file") break ;; esac
done
case $title in
    *"file:$file") ;;
    *) fail "the window is titled '$title', not naming $file" ;;
esac
echo "check_new_user: x.scr is $type, opens in $entry with the file loaded, thumbnail $size;" \
    "x.mlt, x.bsc and a 6976-byte .scr of our types; disk.img $disk_type and x.rgb $sgi_type before and after"
