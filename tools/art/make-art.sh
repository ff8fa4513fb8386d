#!/usr/bin/env bash
# Draws the files that live beside Pictavo.scr and the program icon, all original work:
#   assets/err.ico    the error icon of the message dialog (red disc, white cross)
#   assets/info.ico   the information icon (blue disc, white "i")
#   assets/about.jpg  the About box and splash picture, 380 x 239 pixels
#   assets/Pictavo.ico the program icon: 32 x 32 and 16 x 16 in 16 colours, 48 x 48 and 256 x 256
# Needs ImageMagick 6 (/usr/bin/convert, not whatever "convert" comes first on the PATH) and python3.
#   tools/art/make-art.sh [OUTPUT_DIR]     (default: assets/ of the repository)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=${1:-$here/../../assets}
mkdir -p "$out"
C=/usr/bin/convert
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# --- program icon: a framed photograph of hills under a sun ----------------------------
$C -size 256x256 xc:none \
  -fill '#1f3a60' -draw 'roundrectangle 8,28 247,227 18,18' \
  -fill '#f4f1e8' -draw 'rectangle 26,46 229,209' \
  -fill '#6fb7e8' -draw 'rectangle 38,58 217,197' \
  -fill '#ffd23f' -draw 'circle 170,100 170,124' \
  -fill '#2e7d32' -draw 'polygon 38,197 100,110 150,170 178,140 217,185 217,197' \
  -fill '#1b5e20' -draw 'polygon 38,197 70,160 120,197' \
  "$work/program256.png"

# Reduce to a size; with "16", to 16 colours (15 and black) and an on/off mask.
shrink() {  # src size colours dst.rgba
  if [ "$3" = 16 ]; then
    $C "$1" -resize "$2x$2" -channel A -threshold 50% +channel +dither -colors 15 \
      -depth 8 "rgba:$4"
  else
    $C "$1" -resize "$2x$2" -depth 8 "rgba:$4"
  fi
}
shrink "$work/program256.png" 32 16 "$work/p32.rgba"
shrink "$work/program256.png" 16 16 "$work/p16.rgba"
shrink "$work/program256.png" 48 full "$work/p48.rgba"
$C "$work/program256.png" -depth 8 -define png:color-type=6 "$work/p256.png"
python3 "$here/pack_ico.py" "$out/Pictavo.ico" 32:4:"$work/p32.rgba" 16:4:"$work/p16.rgba" \
  48:32:"$work/p48.rgba" 256:png:"$work/p256.png"

# --- message icons -----------------------------------------------------------------------
# Drawn at 192 pixels and reduced; the mark is white on a disc with a darker rim.
$C -size 192x192 xc:none \
  -fill '#8e1b1b' -draw 'circle 96,96 96,6' \
  -fill '#d83a34' -draw 'circle 96,96 96,14' \
  -stroke white -strokewidth 24 -draw 'line 60,60 132,132' -draw 'line 132,60 60,132' \
  "$work/err192.png"
$C -size 192x192 xc:none \
  -fill '#0d3f7a' -draw 'circle 96,96 96,6' \
  -fill '#2f7fd8' -draw 'circle 96,96 96,14' \
  -fill white -draw 'circle 96,52 96,66' \
  -draw 'roundrectangle 83,82 109,154 6,6' \
  "$work/info192.png"
for kind in err info; do
  specs=()
  for s in 16 32 40 48; do
    $C "$work/${kind}192.png" -resize "${s}x${s}" -depth 8 "rgba:$work/$kind$s.rgba"
    specs+=("$s:32:$work/$kind$s.rgba")
  done
  python3 "$here/pack_ico.py" "$out/$kind.ico" "${specs[@]}"
done

# --- about.jpg: the program's name and what it is ---------------------------------------
$C -size 239x380 gradient:'#0f2742-#2d6a7f' -rotate -90 \
  \( "$work/program256.png" -resize 120x120 \) -geometry +22+50 -composite \
  -fill '#ffffff' -font DejaVu-Sans-Bold -pointsize 40 -annotate +158+100 'Pictavo' \
  -fill '#cfe6f2' -font DejaVu-Sans -pointsize 15 -annotate +160+128 'A photographic' \
  -annotate +160+148 'screen saver' \
  -stroke '#cfe6f2' -strokewidth 1 -draw 'line 22,196 358,196' -stroke none \
  -fill '#9fc3d6' -pointsize 12 -annotate +22+218 'Version 1.0' \
  -annotate +270+218 'For Windows' \
  -strip -quality 92 "$out/about.jpg"

echo "art written to $out"
