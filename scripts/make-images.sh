#!/bin/sh
# Draws the panel's image bundle and icons from plain shapes and text, so the artwork
# can be rebuilt on any machine with ImageMagick. Run from anywhere; writes into
# resources/, resources/images/ and resources/icons/. Flat colours keep the files small.
set -eu

here=$(cd "$(dirname "$0")/.." && pwd)
img="$here/resources/images"
mkdir -p "$img"

# Strip dates and other chunks that would make every run produce different bytes.
png() {
    out=$1
    shift
    convert "$@" -strip -define png:exclude-chunks=date,time "$out"
}

# Combo-box drop-down arrow: a grey triangle on transparency.
png "PNG32:$img/down_arrow.png" -size 7x5 xc:none -fill '#b1b1b1' -draw 'polygon 0,0 6,0 3,4'

# Tool-bar handle: a dotted grip.
png "PNG32:$img/handle.png" -size 6x6 xc:none -fill '#8a8a8a' \
    -draw 'point 1,1' -draw 'point 4,1' -draw 'point 1,4' -draw 'point 4,4'

# Checked check-box mark: an orange tick on transparency.
png "PNG32:$img/checkbox.png" -size 9x9 xc:none -stroke '#ffa02f' -strokewidth 2 \
    -fill none -draw 'polyline 1,4 3,7 8,1'

# Colour swatches of the key states.
swatch() { png "$img/$2" -size 97x90 "xc:$1"; }
swatch '#ffffff' white.png
swatch '#ffd200' yellow.png
swatch '#000000' black.png
swatch '#2f7fd7' corSplit.png
swatch '#b04fd0' corSuperSplit.png

# Maker's logo: a bar under the word mark, on transparency.
logo() { # width height text-colour bar-colour file
    png "PNG32:$img/$5" -size "$1x$2" xc:none \
        -fill "$4" -draw "roundrectangle 40,$(($2 - 120)) $(($1 - 40)),$(($2 - 60)) 30,30" \
        -fill "$3" -font DejaVu-Sans-Bold -pointsize 300 -gravity north \
        -annotate +0+20 'KORVANE'
}
logo 1559 556 '#ffa02f' '#b1b1b1' Logomarca.png
logo 1558 715 '#ffffff' '#ffffff' 'Logomarca Branco.png'

convert -size 168x61 xc:'#323232' -fill '#ffa02f' -font DejaVu-Sans-Bold -pointsize 30 \
    -gravity center -annotate +0+0 'KORVANE' -strip -quality 85 "$img/logo1.jpg"

# Window icon: eight antenna keys round a switch hub, drawn on a 128-pixel grid.
# The desktop's other sizes (icon SIZE FILE) are drawn on a canvas eight times SIZE and
# scaled down, which gives them smooth edges; 128 is drawn straight on the grid.
icon_shapes="fill '#323232' roundrectangle 4,4 123,123 20,20
    fill '#ffa02f' circle 64,64 64,84
    fill '#b1b1b1'
    rectangle 56,12 72,30 rectangle 56,98 72,116
    rectangle 12,56 30,72 rectangle 98,56 116,72
    rectangle 22,22 38,38 rectangle 90,22 106,38
    rectangle 22,90 38,106 rectangle 90,90 106,106"
icon() {
    big=$(($1 * 8)) k=$(($1 * 8 / 128))
    # Pixel edges, not pixel centres, scale: x on the grid is k*(x+0.5)-0.5 on the canvas.
    t=$(awk -v k="$k" 'BEGIN { print k / 2 - 0.5 }')
    png "PNG32:$2" -size "${big}x${big}" xc:none \
        -draw "affine $k,0,0,$k,$t,$t $icon_shapes" -resize "$1x$1"
}
png "PNG32:$img/orvik-panel.png" -size 128x128 xc:none -draw "$icon_shapes"
mkdir -p "$here/resources/icons"
for size in 48 64 256; do
    icon "$size" "$here/resources/icons/orvik-panel-$size.png"
done
convert "$img/orvik-panel.png" -define icon:auto-resize=128,48,32,16 \
    "$here/resources/orvik-panel.ico"
