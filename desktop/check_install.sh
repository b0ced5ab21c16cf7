#!/bin/sh
# Installs a build tree into a scratch folder and checks that the desktop
# files fit together: every entry validates, names a program and an icon that
# are installed, the thumbnailer names every file type the installed
# file-type data defines, each glob we claim is ours alone beside the system's
# types (which keep *.img, *.rgb, *.3 and *.stl), and every program has a man
# page that renders without warnings.
#
#   check_install.sh BUILD_DIR [SCRTOOL_BUILT (0|1)]
set -eu

build=$1
scrtool_built=${2:-1}
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
fail() { echo "check_install: $*" >&2; exit 1; }

for tool in desktop-file-validate appstreamcli update-mime-database xmllint groff; do
    command -v "$tool" >/dev/null || fail "$tool is missing (make deps installs it)"
done

DESTDIR=$stage cmake --install "$build" --prefix /usr >/dev/null || fail "cmake --install failed"
share=$stage/usr/share
bin=$stage/usr/bin

# The value of KEY= in a key file (desktop entry or thumbnailer entry).
value() { sed -n "s/^$2=//p" "$1" | head -n 1; }

# PNG width and height as "W H", from the IHDR chunk.
png_size() {
    od -An -tu1 -j16 -N8 "$1" |
        awk '{ print $1*16777216 + $2*65536 + $3*256 + $4, $5*16777216 + $6*65536 + $7*256 + $8 }'
}

set -- "$share"/applications/*.desktop
[ -f "$1" ] || fail "no desktop entry installed"
for entry; do
    desktop-file-validate "$entry" || fail "$entry does not validate"
    program=$(value "$entry" Exec | cut -d' ' -f1)
    [ -x "$bin/$program" ] || fail "$entry starts $program, which is not installed"
    icon=$(value "$entry" Icon)
    found=0
    for png in "$share"/icons/hicolor/*/apps/"$icon".png; do
        [ -f "$png" ] || continue
        found=1
        folder=$(basename "$(dirname "$(dirname "$png")")")
        [ "$(png_size "$png" | tr ' ' x)" = "$folder" ] || fail "$png is $(png_size "$png"), not $folder"
    done
    [ "$found" = 1 ] || fail "$entry names icon $icon, not installed in the hicolor theme"
done

set -- "$share"/metainfo/*.metainfo.xml
[ -f "$1" ] || fail "no AppStream metainfo installed"
for info; do
    appstreamcli validate --no-net "$info" >/dev/null || fail "$info does not validate: $(appstreamcli validate --no-net "$info")"
    launchable=$(sed -n 's:.*<launchable type="desktop-id">\(.*\)</launchable>.*:\1:p' "$info")
    [ -f "$share/applications/$launchable" ] || fail "$info launches $launchable, which is not installed"
done

# The file type as the desktop sees it: the database built from the installed data.
for xml in "$share"/mime/packages/*.xml; do
    xmllint --noout "$xml" || fail "$xml is not well-formed"
done
update-mime-database "$share/mime" 2>/dev/null
screen_type=$(sed -n 's/^[0-9]*:\([^:]*\):\*\.scr$/\1/p' "$share/mime/globs2")
[ -n "$screen_type" ] || fail "the installed file-type data gives *.scr no type"

# Ours beside the system's own types, as a desktop sees them: every glob we
# claim is ours alone, and the names the system has types for (disk images,
# SGI pictures, manual pages, 3D models) keep them.
system_mime=$stage/system-mime
combined_mime=$stage/combined-mime
mkdir -p "$system_mime/packages" "$combined_mime/packages"
cp /usr/share/mime/packages/*.xml "$system_mime/packages/"
cp /usr/share/mime/packages/*.xml "$share"/mime/packages/*.xml "$combined_mime/packages/"
update-mime-database "$system_mime" 2>/dev/null
update-mime-database "$combined_mime" 2>/dev/null
# The types a glob has in a database, one a line.
types_of() { awk -F: -v glob="$2" '$3 == glob { print $2 }' "$1/globs2" | sort -u; }
claimed=$(sed -n 's/.*<glob pattern="\([^"]*\)".*/\1/p' "$share"/mime/packages/*.xml)
[ -n "$claimed" ] || fail "the installed file-type data claims no glob"
set -f  # the globs are words here, not patterns to expand
for glob in $claimed; do
    [ -z "$(types_of "$system_mime" "$glob")" ] || fail "$glob is the system's $(types_of "$system_mime" "$glob")"
    type=$(types_of "$combined_mime" "$glob")
    case $type in
        image/x-zx-spectrum-*) ;;
        *) fail "$glob has the types '$type' beside the system's" ;;
    esac
done
for glob in '*.img' '*.rgb' '*.[1-9]' '*.stl'; do
    echo "$claimed" | grep -qxF "$glob" && fail "we claim $glob, which the system's type keeps"
    before=$(types_of "$system_mime" "$glob")
    [ -n "$before" ] || fail "the system has no type for $glob to keep"
    [ "$(types_of "$combined_mime" "$glob")" = "$before" ] || fail "$glob is no longer only $before"
done
echo "check_install: globs claimed:" $claimed
set +f

set -- "$share"/thumbnailers/*.thumbnailer
[ -f "$1" ] || fail "no thumbnailer entry installed"
for thumbnailer; do
    for type in $screen_type $(sed -n 's/.*<mime-type type="\([^"]*\)".*/\1/p' "$share"/mime/packages/*.xml); do
        value "$thumbnailer" MimeType | tr ';' '\n' | grep -qx "$type" ||
            fail "$thumbnailer does not name $type, a file type we install"
    done
    program=$(value "$thumbnailer" TryExec)
    if [ "$scrtool_built" = 1 ] || [ "$program" != scrtool ]; then
        [ -x "$bin/$program" ] || fail "$thumbnailer runs $program, which is not installed"
    fi
done

if [ "$scrtool_built" = 1 ]; then
    completion=$share/bash-completion/completions/scrtool
    [ -f "$completion" ] || fail "no bash completion of scrtool installed"
    bash -n "$completion" || fail "$completion is no bash"
    grep -q "complete -F _scrtool scrtool" "$completion" || fail "$completion completes no scrtool"
fi

for program in "$bin"/*; do
    page=$share/man/man1/$(basename "$program").1.gz
    [ -f "$page" ] || fail "$(basename "$program") has no man page"
    warnings=$(gzip -dc "$page" | groff -man -ww -z -Tutf8 2>&1)
    [ -z "$warnings" ] || fail "$page: $warnings"
done
echo "check_install: all desktop files installed and consistent"
