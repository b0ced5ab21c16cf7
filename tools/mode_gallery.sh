#!/bin/sh
# Draws one photograph imported into every mode `scrtool import` writes, as a
# labelled contact sheet for the README: each mode drawn by `scrtool png` at
# scale 1 (gigascreen as the eye sees it, the two frames averaged), the photo
# itself first. Modes whose pictures come out identical share one tile and
# its label. Rerun it after a change to the converters:
#
#   tools/mode_gallery.sh [SCRTOOL [PICTURE [OUT.png]]]
#
# SCRTOOL defaults to build-test/scrtool/scrtool, PICTURE to
# testdata/pictures/chelsea.jpg and OUT to docs/mode_gallery.png. Needs
# ImageMagick's montage and convert (already among the test packages) and the
# DejaVu Sans font (which ImageMagick's font configuration brings).
set -eu

scrtool=${1:-build-test/scrtool/scrtool}
picture=${2:-testdata/pictures/chelsea.jpg}
out=${3:-docs/mode_gallery.png}

[ -x "$scrtool" ] || { echo "mode_gallery.sh: no scrtool at $scrtool (build it first)" >&2; exit 1; }
[ -r "$picture" ] || { echo "mode_gallery.sh: cannot read $picture" >&2; exit 1; }

dark='#202020'
light='#e0e0e0'
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/drawn" "$work/labelled" "$work/rows"

# One row a mode: the label, the output's name and import's options. The
# order is the sheet's: the classic screen, the multicolour cells from coarse
# to fine, ULAplus, gigascreen, then the bordered and hi-res pictures, which
# are larger and go below.
modes="classic|classic.scr|--mode classic
.bmc4|bmc4.bmc4|
.ifl|ifl.ifl|
.mlt|mlt.mlt|
.mc|mc.mc|
timex-hicolour|hicolour.scr|--mode timex-hicolour
ulaplus|ulaplus.scr|--mode ulaplus
timex-hicolour-ulaplus|hicolour-ulaplus.scr|--mode timex-hicolour-ulaplus
.img|img.img|
.mg8|mg8.mg8|
.mg4|mg4.mg4|
.mg2|mg2.mg2|
.mg1|mg1.mg1|
.bsc|bsc.bsc|
timex-hires|hires.scr|--mode timex-hires"

# .mg1 is drawn once import writes it.
writes_mg1=no
"$scrtool" import --help | grep -q '^ *mg1 ' && writes_mg1=yes

# The photo fitted to the screen's size, for comparison; its colours are cut
# to 128 so that the whole sheet fits a palette.
convert "$picture" -resize 256x192 -background black -gravity center -extent 256x192 \
    -dither FloydSteinberg -colors 128 -alpha off -depth 8 "$work/drawn/00-photo.png"
printf '%s\n' "photo" >"$work/drawn/00-photo.label"

count=0
echo "$modes" | while IFS='|' read -r label file options; do
    [ "$file" = mg1.mg1 ] && [ "$writes_mg1" = no ] && continue
    # shellcheck disable=SC2086  # the options are words
    "$scrtool" import "$picture" $options -o "$work/$file"
    "$scrtool" png --scale 1 "$work/$file" -o "$work/new.png"
    # A picture identical to an earlier tile's joins that tile's label.
    same=
    for tile in "$work"/drawn/*.png; do
        if cmp -s "$tile" "$work/new.png"; then
            same=${tile%.png}
            break
        fi
    done
    if [ -n "$same" ]; then
        printf '%s = %s\n' "$(cat "$same.label")" "$label" >"$work/new.label"
        mv "$work/new.label" "$same.label"
        rm "$work/new.png"
    else
        count=$((count + 1))
        tile=$(printf '%s/drawn/%02d-%s' "$work" "$count" "${file%.*}")
        mv "$work/new.png" "$tile.png"
        printf '%s\n' "$label" >"$tile.label"
    fi
done

# Each tile with its label under it, drawn without smoothing so that the
# labels add one colour, not a ramp of greys.
for tile in "$work"/drawn/*.png; do
    name=$(basename "$tile")
    convert "$tile" -background "$dark" -fill "$light" -font DejaVu-Sans -pointsize 12 +antialias \
        -size "$(identify -format '%w' "$tile")x18" -gravity center label:"$(cat "${tile%.png}.label")" \
        -append -bordercolor "$dark" -border 4 "$work/labelled/$name"
done

# The photo on a row of its own, then rows of the modes' tiles of one size,
# three 256-pixel tiles to a row, each size in the order it first appears.
cp "$work/labelled/00-photo.png" "$work/rows/00.png"
rm "$work/drawn/00-photo.png"
sizes=$(for tile in "$work"/drawn/*.png; do identify -format '%wx%h\n' "$tile"; done | awk '!seen[$0]++')
rows=0
for size in $sizes; do
    columns=$((800 / (${size%x*} + 8)))
    [ "$columns" -ge 1 ] || columns=1
    set --
    for tile in "$work"/drawn/*.png; do
        [ "$(identify -format '%wx%h' "$tile")" = "$size" ] || continue
        set -- "$@" "$work/labelled/$(basename "$tile")"
        if [ $# -eq "$columns" ]; then
            rows=$((rows + 1))
            convert "$@" +append "$work/rows/$(printf %02d $rows).png"
            set --
        fi
    done
    if [ $# -gt 0 ]; then
        rows=$((rows + 1))
        convert "$@" +append "$work/rows/$(printf %02d $rows).png"
    fi
done

# A palette PNG when the colours allow it (every mode's picture is a few
# dozen colours), which is much the smaller; else 24-bit.
mkdir -p "$(dirname "$out")"
convert -background "$dark" -gravity center "$work"/rows/*.png -append -alpha off -depth 8 "$work/sheet.png"
kind=PNG24
[ "$(identify -format '%k' "$work/sheet.png")" -le 256 ] && kind=PNG8
convert "$work/sheet.png" -strip -define png:compression-level=9 "$kind:$out"
echo "$out: $(identify -format '%wx%h' "$out"), $(wc -c <"$out") bytes, $(identify -format '%k' "$out") colours"
