#!/usr/bin/env bash
# Builds Pictavo.scr, makes a demo images directory (pictures drawn here, two collection
# files), points the settings at it and starts the show under Wine.
# On a desktop the show covers your screen: move the mouse or press a key to end it.
# Without a display it runs on a virtual one and saves demo/screenshot.png after a few seconds.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
bash scripts/install-deps.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target Pictavo

demo=$root/demo
images=$demo/images
rm -rf "$images"
mkdir -p "$images"
C=/usr/bin/convert
$C -size 1024x640 gradient:'#0b2545-#8da9c4' -gravity center -font DejaVu-Sans -pointsize 72 -fill white \
   -annotate 0 'Pictavo' -pointsize 28 -annotate +0+80 'a photographic screen saver' "$images/dusk.jpg"
$C -size 900x600 -seed 7 plasma:'#f4a261-#2a9d8f' -blur 0x2 "$images/meadow.jpg"
$C -size 640x480 xc:'#264653' -fill '#e9c46a' -draw 'circle 320,240 320,90' -fill '#e76f51' \
   -draw 'rectangle 40,360 600,440' "BMP3:$images/sunrise.bmp"
$C -size 2200x1400 radial-gradient:'#ffd166-#073b4c' "$images/wide.jpg"
$C -size 480x640 gradient:'#588157-#dad7cd' -fill '#344e41' -draw 'polygon 240,80 60,560 420,560' \
   "BMP3:$images/pine.bmp"

crlf() { printf '%s\r\n' "$@"; }
crlf "[Collection Info]" "NAME=Demo Colours" "COMMENT=Pictures drawn for the demo" "COPYRIGHT=" "USE=YES" "" \
     "[Images]" "dusk.jpg^Demo Colours 1" "meadow.jpg^Demo Colours 2" "wide.jpg^Demo Colours 3" \
     >"$images/Demo Colours.IC1"
crlf "[Collection Info]" "NAME=Demo Shapes" "COMMENT=Bitmaps" "COPYRIGHT=" "USE=YES" "" \
     "[Images]" "sunrise.bmp^Demo Shapes 1" "pine.bmp^Demo Shapes 2" >"$images/Demo Shapes.IC1"

export WINEPREFIX=$demo/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINELOADER=/usr/lib/wine/wine64
wine=/usr/lib/wine/wine64
xvfb_pid=""
if [ -z "${DISPLAY:-}" ]; then
  export DISPLAY=:77
  Xvfb :77 -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  sleep 1
fi
[ -f "$WINEPREFIX/system.reg" ] || $wine wineboot -i >/dev/null 2>&1
winpath="Z:${images//\//\\}"
$wine reg add 'HKCU\Software\Pictavo\Options' /v ImagesDir /t REG_SZ /d "$winpath" /f >/dev/null
$wine reg add 'HKCU\Software\Pictavo\Options' /v Delay /t REG_SZ /d 3 /f >/dev/null
$wine reg add 'HKCU\Software\Pictavo\Options' /v Random /t REG_SZ /d False /f >/dev/null
$wine reg add 'HKCU\Software\Pictavo\Options' /v UseAll /t REG_SZ /d False /f >/dev/null

echo "Images directory: $images ($winpath)"
if [ -n "$xvfb_pid" ]; then
  $wine "$root/build/win64/bin/Pictavo.scr" /S &
  scr=$!
  sleep 3
  import -display :77 -window root "$demo/splash.png" && echo "Screenshot of the splash: $demo/splash.png"
  sleep 5
  import -display :77 -window root "$demo/screenshot.png" && echo "Screenshot of the first picture: $demo/screenshot.png"
  xdotool key --clearmodifiers space 2>/dev/null || true
  sleep 2
  kill "$scr" 2>/dev/null || true
  /usr/lib/wine/wineserver -k 2>/dev/null || true
  kill "$xvfb_pid" 2>/dev/null || true
else
  echo "Starting the show: move the mouse or press a key to end it."
  exec $wine "$root/build/win64/bin/Pictavo.scr" /S
fi
