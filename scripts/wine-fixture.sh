#!/usr/bin/env bash
# Creates or removes one Wine test environment: a private X display (Xvfb), a fresh
# WINEPREFIX with the settings the tests rely on, a persistent wineserver and a small
# program that keeps Wine's desktop alive between test processes.
#
#   wine-fixture.sh start DIR DPI ARCH HOLDER_EXE [WIDTHxHEIGHT | two-monitors]
#   wine-fixture.sh stop DIR
#
# two-monitors: instead of Xvfb, Xorg with its dummy driver and two monitors side by side, a 1024x768
# primary at 0,0 (DUMMY0) and an 800x600 monitor at 1024,0 (DUMMY1). Where that server cannot be started
# the environment says so and the tests that need it are skipped.
#
# DIR/env.sh is written for scripts/wine-run.sh, which every Wine test goes through.
set -euo pipefail
cmd=${1:?command}; dir=${2:?directory}

stop() {
  [ -f "$dir/env.sh" ] || return 0
  # shellcheck disable=SC1091
  . "$dir/env.sh"
  if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
    /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
  fi
  if [ -f "$dir/xvfb.pid" ]; then kill "$(cat "$dir/xvfb.pid")" 2>/dev/null || true; rm -f "$dir/xvfb.pid"; fi
  if [ -f "$dir/xorg.pid" ]; then kill "$(cat "$dir/xorg.pid")" 2>/dev/null || true; rm -f "$dir/xorg.pid"; fi
  rm -f "$dir/env.sh"
}

case "$cmd" in
stop) stop; exit 0 ;;
start) ;;
*) echo "usage: $0 start DIR DPI ARCH HOLDER_EXE [WxH | two-monitors] | stop DIR" >&2; exit 2 ;;
esac

dpi=${3:?dpi}; arch=${4:?arch}; holder=${5:?holder}; screen=${6:-1024x768}
stop
rm -rf "$dir"
mkdir -p "$dir"

loader=/usr/lib/wine/wine64
if [ "$arch" = i686 ]; then
  loader=/usr/lib/wine/wine
  if ! "$loader" --version >/dev/null 2>&1; then
    echo "PICTAVO_SKIP='this host cannot run 32-bit Wine (no 32-bit support in the kernel)'" >"$dir/env.sh"
    echo "note: 32-bit Wine cannot run on this host; the i686 tests are skipped"
    exit 0
  fi
fi

skip() {  # why the two-monitor tests cannot run here
  [ -f "$dir/xorg.pid" ] && kill "$(cat "$dir/xorg.pid")" 2>/dev/null; rm -f "$dir/xorg.pid"
  echo "PICTAVO_SKIP='no two-monitor X server on this machine: $1'" >"$dir/env.sh"
  echo "note: no two-monitor X server ($1); the tests that need two monitors are skipped"
  exit 0
}

if [ "$screen" = two-monitors ]; then
  command -v Xorg >/dev/null && command -v xrandr >/dev/null ||
    skip "Xorg or xrandr is missing (xserver-xorg-core, xserver-xorg-video-dummy, x11-xserver-utils)"
  cat >"$dir/xorg.conf" <<'CONF'
Section "ServerFlags"
  Option "AutoAddDevices" "false"
  Option "AutoEnableDevices" "false"
  Option "DontVTSwitch" "true"
EndSection
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 65536
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5-1000
  VertRefresh 5-1000
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Virtual 2048 768
  EndSubSection
EndSection
CONF
  # Xorg cannot pick its own display number: the first one free from 40 on.
  disp=40
  while [ -e "/tmp/.X11-unix/X$disp" ] || [ -e "/tmp/.X$disp-lock" ]; do disp=$((disp + 1)); done
  setsid Xorg ":$disp" -config "$dir/xorg.conf" -noreset -nolisten tcp -logfile "$dir/xorg.log" \
    </dev/null >/dev/null 2>&1 &
  echo $! >"$dir/xorg.pid"
  for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$disp" ] && break; sleep 0.1; done
  [ -e "/tmp/.X11-unix/X$disp" ] || skip "Xorg did not start (see $dir/xorg.log)"
  # The last plain query makes the driver report DUMMY1 connected, which Wine needs to see it.
  { DISPLAY=":$disp" xrandr --fb 1824x768 && DISPLAY=":$disp" xrandr --addmode DUMMY1 800x600 &&
    DISPLAY=":$disp" xrandr --output DUMMY0 --primary --mode 1024x768 --pos 0x0 \
                            --output DUMMY1 --mode 800x600 --pos 1024x0 &&
    DISPLAY=":$disp" xrandr >/dev/null; } >"$dir/xrandr.log" 2>&1 || skip "xrandr could not lay out two monitors"
else
  # Xvfb picks a free display number itself and reports it, so that test runs started at the
  # same moment never share a screen.
  rm -f "$dir/display"
  setsid Xvfb -displayfd 3 -screen 0 "${screen}x24" -nolisten tcp -ac 3>"$dir/display" </dev/null >/dev/null 2>&1 &
  echo $! >"$dir/xvfb.pid"
  disp=""
  for _ in $(seq 200); do
    disp=$(tr -dc 0-9 <"$dir/display" 2>/dev/null || true)
    [ -n "$disp" ] && [ -e "/tmp/.X11-unix/X$disp" ] && break
    sleep 0.05
  done
  [ -n "$disp" ] || { echo "Xvfb did not start" >&2; exit 1; }
fi

export WINEPREFIX="$dir/prefix" DISPLAY=":$disp" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
       WINELOADER="$loader" WINEARCH=win64
[ "$arch" = i686 ] && export WINEARCH=win32
cat >"$dir/env.sh" <<ENV
export WINEPREFIX='$WINEPREFIX' DISPLAY='$DISPLAY' WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=' WINELOADER='$loader' WINEARCH='$WINEARCH'
ENV

"$loader" wineboot -i >/dev/null 2>&1

fonts="$WINEPREFIX/drive_c/windows/Fonts"
mkdir -p "$fonts"
cp /usr/share/fonts/truetype/liberation/*.ttf "$fonts/" 2>/dev/null || true
cp /usr/share/wine/fonts/* "$fonts/" 2>/dev/null || true

reg="$dir/settings.reg"
{
  printf 'REGEDIT4\r\n\r\n'
  printf '[HKEY_CURRENT_USER\\Software\\Wine\\Drivers]\r\n"Graphics"="x11,null"\r\n\r\n'
  printf '[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Managed"="N"\r\n"Decorated"="Y"\r\n\r\n'
  printf '[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]\r\n"ShowCrashDialog"=dword:00000000\r\n\r\n'
  printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n"Arial"="Liberation Sans"\r\n"Times New Roman"="Liberation Serif"\r\n\r\n'
  printf '[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n"LogPixels"=dword:%08x\r\n\r\n' "$dpi"
  printf '[HKEY_CURRENT_USER\\Software\\Wine]\r\n"Version"="win10"\r\n\r\n'
} >"$reg"
"$loader" regedit /S "$reg" >/dev/null 2>&1

# Restart the server so that the DPI is taken, then keep one running for the whole run.
/usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
/usr/lib/wine/wineserver -w >/dev/null 2>&1 || true
setsid /usr/lib/wine/wineserver -p </dev/null >/dev/null 2>&1 &
sleep 0.2
# Wine's desktop would otherwise exit a second after each test's last window closes.
setsid "$loader" "$holder" </dev/null >/dev/null 2>&1 &
sleep 1
echo "Wine environment ready: display :$disp, $dpi DPI, $arch, $dir"
