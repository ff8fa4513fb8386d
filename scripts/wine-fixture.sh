#!/usr/bin/env bash
# Creates or removes one Wine test environment: a private X display (Xvfb), a fresh
# WINEPREFIX with the settings the tests rely on, a persistent wineserver and a small
# program that keeps Wine's desktop alive between test processes.
#
#   wine-fixture.sh start DIR DPI ARCH HOLDER_EXE [WIDTHxHEIGHT]
#   wine-fixture.sh stop DIR
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
  rm -f "$dir/env.sh"
}

case "$cmd" in
stop) stop; exit 0 ;;
start) ;;
*) echo "usage: $0 start DIR DPI ARCH HOLDER_EXE [WxH] | stop DIR" >&2; exit 2 ;;
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
