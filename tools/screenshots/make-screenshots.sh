#!/usr/bin/env bash
# Takes the pictures of Pictavo that the help page and the README show, from the real program under Wine, so
# that they follow the program when it changes:
#   assets/help-settings.png  the settings dialog, with three collections
#   assets/help-editor.png    the collection editor, editing one of them
#   assets/help-show.png      the show on two monitors side by side (1024x768 and 800x600), at half size
# Each is reduced to a few dozen colours, to stay small enough for the repository and the package.
# Runs on the Wine test fixture's two-monitor X server (Xorg's dummy driver).
#   tools/screenshots/make-screenshots.sh [OUTPUT_DIR]     (default: assets/ of the repository)
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
out=$(realpath -m "${1:-$root/assets}")
mkdir -p "$out"
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target Pictavo pictavo_desktop_holder >/dev/null
holder=$(find "$root/build/win64" -name pictavo_desktop_holder.exe | head -n 1)

env_dir=$root/build/screenshots
bash scripts/wine-fixture.sh start "$env_dir" 96 x86_64 "$holder" two-monitors >/dev/null
trap 'bash scripts/wine-fixture.sh stop "$env_dir"' EXIT
# shellcheck disable=SC1091
. "$env_dir/env.sh"
[ -z "${PICTAVO_SKIP:-}" ] || { echo "make-screenshots: $PICTAVO_SKIP" >&2; exit 1; }
wine() { "$WINELOADER" "$@"; }
C=/usr/bin/convert

# A small images directory: drawn landscapes and three collections.
images=$WINEPREFIX/drive_c/users/Photos
mkdir -p "$images"
landscape() {  # file width height sky-top sky-bottom sun ground
  $C -size "$2x$3" gradient:"$4-$5" -fill "$6" -draw "circle $(($2 * 7 / 10)),$(($3 / 3)) $(($2 * 7 / 10)),$(($3 / 3 + $3 / 9))" \
     -fill "$7" -draw "polygon 0,$3 0,$(($3 * 2 / 3)) $(($2 / 4)),$(($3 / 2)) $(($2 / 2)),$(($3 * 3 / 4)) $(($2 * 3 / 4)),$(($3 * 3 / 5)) $2,$(($3 * 7 / 10)) $2,$3" \
     -quality 90 "$images/$1"
}
landscape harbour.jpg 720 480 '#1d3557' '#a8dadc' '#ffd166' '#264653'
landscape dunes.jpg 560 400 '#ffb703' '#fb8500' '#fff3b0' '#bc6c25'
landscape meadow.jpg 640 430 '#8ecae6' '#e0fbfc' '#ffffff' '#588157'
landscape ridge.jpg 600 400 '#3a0ca3' '#f72585' '#fee440' '#240046'
landscape lake.jpg 700 460 '#023e8a' '#90e0ef' '#f1faee' '#1b4332'
crlf() { printf '%s\r\n' "$@"; }
crlf "[Collection Info]" "NAME=Summer by the Sea" "COMMENT=Two weeks on the coast" "COPYRIGHT=Ann Lee 2025" \
     "USE=YES" "" "[Images]" "harbour.jpg^The harbour at dawn" "dunes.jpg^Dunes at noon" "lake.jpg^The lagoon" \
     >"$images/Summer by the Sea.IC1"
crlf "[Collection Info]" "NAME=Garden Year" "COMMENT=" "COPYRIGHT=" "USE=YES" "" "[Images]" "meadow.jpg^May" \
     >"$images/Garden Year.IC1"
crlf "[Collection Info]" "NAME=Mountains" "COMMENT=" "COPYRIGHT=" "USE=NO" "" "[Images]" "ridge.jpg^The ridge" \
     >"$images/Mountains.IC1"
for setting in "ImagesDir C:\\users\\Photos" "Delay 30" "Random False" "UseAll False"; do
  wine reg add 'HKCU\Software\Pictavo\Options' /v "${setting%% *}" /t REG_SZ /d "${setting#* }" /f >/dev/null
done

window() {  # the id of the visible window titled exactly $1, once it has been drawn
  local id=""
  for _ in $(seq 60); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1) && [ -n "$id" ] && break
    sleep 0.25
  done
  [ -n "$id" ] || { echo "make-screenshots: no window \"$1\"" >&2; exit 1; }
  sleep 1
  echo "$id"
}
save() {  # source.png name: fewer colours, no metadata
  $C "$1" +dither -colors 96 -strip -define png:compression-level=9 "PNG8:$out/$2"
  echo "$out/$2: $(stat -c %s "$out/$2") bytes"
}

program=$root/build/win64/bin/Pictavo.scr  # with its files beside it
wine "$program" /C &
dialog=$(window "Pictavo Settings")
import -window "$dialog" "$env_dir/settings.png"
save "$env_dir/settings.png" help-settings.png
xdotool key alt+v End alt+e  # the last collection
editor=$(window "Edit Image Collection")
import -window "$editor" "$env_dir/editor.png"
save "$env_dir/editor.png" help-editor.png
xdotool key alt+c; sleep 0.5; xdotool key alt+c
wait

wine "$program" /S &
show=$!
sleep 8  # the splash, then the first pictures
import -window root "$env_dir/show.png"
xdotool key space  # ends the show
wait "$show" || true
# Each monitor in a dark bezel, side by side as they stand, at half size.
$C -background white \( "$env_dir/show.png" -crop 1024x768+0+0 +repage -bordercolor '#3a3a3a' -border 12 \) \
   \( "$env_dir/show.png" -crop 800x600+1024+0 +repage -bordercolor '#3a3a3a' -border 12 \) \
   -gravity north +smush 24 -resize 50% "$env_dir/show-half.png"
save "$env_dir/show-half.png" help-show.png
