#!/usr/bin/env bash
# The release packages, end to end: both zips hold exactly the files a user needs, and the installer, run
# silently in a fresh Wine prefix, installs (for all users with a copy in the system folder that finds its
# files in the program folder; for one user into a folder of its choice), makes Pictavo the screen saver,
# shows a collection's picture, installs again over itself and over a running show, and uninstalls without
# touching the user's pictures, collections or settings. The released installer is a 32-bit program: this host may not run it, so the same
# script built as a 64-bit program is what runs here.
#
#   release-test.sh   (from the repository root; writes build/release-test/)
set -uo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
work=$root/build/release-test
failures=0
check() {  # check "what" command...
  local what=$1; shift
  if "$@"; then echo "ok   $what"; else echo "FAIL $what"; failures=$((failures + 1)); fi
}

bash scripts/package.sh --test-installer "$work/setup64.exe" >/dev/null || { echo "FAIL packaging"; exit 1; }
version=$(cat build/win64/pictavo-version.txt)

# ---- the zips -------------------------------------------------------------------------------------------
expected="LICENSE.txt Pictavo.htm Pictavo.scr README.txt about.jpg err.ico info.ico help-editor.png help-settings.png help-show.png"
[ -f assets/Pictavo.htm ] || expected=${expected/Pictavo.htm /}
if cmake -LA -N build/win64 2>/dev/null | grep -q '^PICTAVO_JPEG_NOTICES'; then
  expected="$expected libjpeg-turbo-LICENSE.md.txt libjpeg-turbo-README.ijg.txt"
fi
for arch in x64 x86; do
  zip=dist/Pictavo-$version-$arch.zip
  listed=$(unzip -Z1 "$zip" 2>/dev/null | sort | xargs)
  check "$arch zip holds exactly: $(tr ' ' '\n' <<<"$expected" | sort | xargs)" \
    test "$listed" = "$(tr ' ' '\n' <<<"$expected" | sort | xargs)"
done
check "x64 zip's program is a 64-bit Windows program" \
  sh -c "unzip -p dist/Pictavo-$version-x64.zip Pictavo.scr | file - | grep -q 'PE32+ executable (GUI) x86-64'"
check "x86 zip's program is a 32-bit Windows program" \
  sh -c "unzip -p dist/Pictavo-$version-x86.zip Pictavo.scr | file - | grep -q 'PE32 executable (GUI) Intel 80386'"
check "the released installer is a 32-bit Windows program" \
  sh -c "file dist/Pictavo-$version-setup.exe | grep -q 'PE32 executable (GUI) Intel 80386'"

# ---- the installer under Wine ---------------------------------------------------------------------------
cmake --build --preset win64 --target pictavo_desktop_holder >/dev/null
holder=$(find build/win64 -name pictavo_desktop_holder.exe | head -n 1)
env_dir=$work/wine
bash scripts/wine-fixture.sh start "$env_dir" 96 x86_64 "$holder" 1024x768 >/dev/null || { echo "FAIL Wine"; exit 1; }
trap 'bash scripts/wine-fixture.sh stop "$env_dir"' EXIT
# shellcheck disable=SC1091
. "$env_dir/env.sh"
wine() { "$WINELOADER" "$@"; }
# Ends a running show the hard way and brings the persistent server and the desktop back.
restart_wine() {
  kill "$1" 2>/dev/null; /usr/lib/wine/wineserver -k 2>/dev/null; wait "$1" 2>/dev/null
  setsid /usr/lib/wine/wineserver -p </dev/null >/dev/null 2>&1 &
  sleep 0.3
  setsid "$WINELOADER" "$holder" </dev/null >/dev/null 2>&1 &
  sleep 1
}
# The uninstaller runs a copy of itself from the temporary folder and returns at once: wait for its work.
wait_gone() { for _ in $(seq 60); do [ -e "$1" ] || { sleep 1; return 0; }; sleep 0.5; done; return 1; }
drive_c=$WINEPREFIX/drive_c
regval() { wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | awk -v v="$2" '$1 == v { $1 = ""; $2 = ""; sub(/^  /, ""); print }'; }
haskey() { wine reg query "$1" >/dev/null 2>&1; }
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Pictavo'
user_uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Pictavo'
desktop='HKCU\Control Panel\Desktop'

# The user's own things, which nothing may touch: a picture, a collection and the settings.
images=$drive_c/users/Photos
mkdir -p "$images"
/usr/bin/convert -size 400x300 xc:'#20c040' "BMP3:$images/green.bmp"
printf '%s\r\n' "[Collection Info]" "NAME=Green" "COMMENT=" "COPYRIGHT=" "USE=YES" "" "[Images]" "green.bmp^Green 1" \
  >"$images/Green.IC1"
wine reg add 'HKCU\Software\Pictavo\Options' /v ImagesDir /t REG_SZ /d 'C:\users\Photos' /f >/dev/null
wine reg add 'HKCU\Software\Pictavo\Options' /v Delay /t REG_SZ /d 2 /f >/dev/null
wine reg add 'HKCU\Software\Pictavo\Options' /v UseAll /t REG_SZ /d False /f >/dev/null
before=$(cd "$images" && sha256sum -- * | sort)

cp "$work/setup64.exe" "$drive_c/setup.exe"
wine 'C:\setup.exe' /S; rc=$?
check "setup /S ends with exit code 0" test "$rc" -eq 0
installed=$drive_c/Program\ Files/Pictavo
check "the files are in C:\\Program Files\\Pictavo" \
  test "$( (cd "$installed" 2>/dev/null && ls) | grep -vx uninstall.exe | sort | xargs)" = \
       "$(tr ' ' '\n' <<<"$expected" | grep -vx README.txt | sort | xargs)"
check "the uninstaller is there" test -f "$installed/uninstall.exe"
check "the 64-bit build was installed" sh -c "file '$installed/Pictavo.scr' | grep -q x86-64"
check "list entry: name" test "$(regval "$uninstall_key" DisplayName)" = Pictavo
check "list entry: version" test "$(regval "$uninstall_key" DisplayVersion)" = "$version"
check "list entry: publisher" test -n "$(regval "$uninstall_key" Publisher)"
check "list entry: icon" test "$(regval "$uninstall_key" DisplayIcon)" = 'C:\Program Files\Pictavo\Pictavo.scr,0'
check "list entry: size" test "$(( $(regval "$uninstall_key" EstimatedSize) ))" -gt 100
check "list entry: uninstaller" test "$(regval "$uninstall_key" UninstallString)" = '"C:\Program Files\Pictavo\uninstall.exe"'
system=$drive_c/windows/system32
# Pictavo's files in the system folder, by name.
in_system() { (cd "$system" && ls) | grep -ixF -f <(tr ' ' '\n' <<<"$expected uninstall.exe Pictavo.scr.system.old") | xargs; }
check "the system folder holds the program's copy and no other Pictavo file" test "$(in_system)" = Pictavo.scr
check "Pictavo is the screen saver" test "$(regval "$desktop" SCRNSAVE.EXE)" = 'C:\windows\system32\Pictavo.scr'

# A show: the splash after 2.5 s (trimmed size), the centre pixel after 7.5 s.
run_show() {
  wine "$1" /S & local show=$!
  sleep 2.5; import -display "$DISPLAY" -window root "$work/splash.png" 2>/dev/null
  sleep 5; import -display "$DISPLAY" -window root "$work/show.png" 2>/dev/null
  restart_wine "$show"
  splash=$(/usr/bin/convert "$work/splash.png" -fuzz 3% -trim -format '%wx%h' info: 2>/dev/null)
  pixel=$(/usr/bin/convert "$work/show.png" -format '%[hex:p{512,384}]' info: 2>/dev/null)
}
run_show 'C:\windows\system32\Pictavo.scr'
check "the system folder's show has the installed folder's splash ($splash)" test "$splash" = 380x239
check "and displays the collection's picture (centre pixel $pixel)" test "${pixel:0:6}" = 20C040

# Its settings' Help opens the installed page (a recorder stands in for the browser).
wine reg add 'HKCR\.htm' /ve /d PictavoTestPage /f >/dev/null
wine reg add 'HKCR\PictavoTestPage\shell\open\command' /ve /f >/dev/null \
  /d 'C:\windows\system32\reg.exe add HKCU\Software\PictavoTest /v Opened /d "%1" /f'
wine 'C:\windows\system32\Pictavo.scr' /C & settings=$!
for _ in $(seq 40); do xdotool search --onlyvisible --name '^Pictavo Settings$' >/dev/null 2>&1 && break; sleep 0.25; done
sleep 1; xdotool key alt+h
for _ in $(seq 20); do [ -n "$(regval 'HKCU\Software\PictavoTest' Opened)" ] && break; sleep 0.5; done
restart_wine "$settings"
check "its Help opens the installed help page" \
  test "$(regval 'HKCU\Software\PictavoTest' Opened)" = 'C:\Program Files\Pictavo\Pictavo.htm'
# A message (the password notice) shows the information icon's blue.
wine 'C:\windows\system32\Pictavo.scr' /A & message=$!
sleep 3; import -display "$DISPLAY" -window root "$work/message.png" 2>/dev/null; restart_wine "$message"
blue=$(/usr/bin/convert "$work/message.png" -fuzz 10% -fill black +opaque '#2F7FD8' -fill white -opaque '#2F7FD8' \
       -format '%[fx:round(mean*w*h)]' info: 2>/dev/null)
check "its message shows the installed icon ($blue pixels of its blue)" test "${blue:-0}" -gt 400

# Again over itself: files replaced, one entry, no leftovers.
echo stale >"$installed/err.ico"
wine 'C:\setup.exe' /S; rc=$?
check "a second setup /S ends with exit code 0" test "$rc" -eq 0
check "the second run replaced the files" cmp -s "$installed/err.ico" assets/err.ico
check "no set-aside files are left" test -z "$(cd "$installed" && ls | grep '\.old$')"
check "no per-user entry beside the machine's" bash -c "! '$WINELOADER' reg query '$user_uninstall_key' >/dev/null 2>&1"

# An installation that cannot replace a file changes nothing.
# A running screen saver holds its program file.
keep=$(sha256sum <"$installed/info.ico")
wine 'C:\Program Files\Pictavo\Pictavo.scr' /S &
show=$!
sleep 3
wine 'C:\setup.exe' /S; rc=$?
restart_wine "$show"
check "setup over a running Pictavo fails (exit code $rc)" test "$rc" -ne 0
check "and leaves the installed files as they were" test "$(sha256sum <"$installed/info.ico")" = "$keep"
check "and leaves no set-aside files" test -z "$(cd "$installed" && ls | grep '\.old$')"

# Over a show that runs from the system folder (a copy one byte longer): its copy is replaced.
echo >>"$system/Pictavo.scr"
wine 'C:\windows\system32\Pictavo.scr' /S & show=$!
sleep 3; wine 'C:\setup.exe' /S; rc=$?
restart_wine "$show"
check "setup over a show from the system folder succeeds (exit code $rc)" test "$rc" -eq 0
check "and replaces the system folder's copy" cmp -s "$system/Pictavo.scr" "$installed/Pictavo.scr"
check "and leaves no other Pictavo file there" test "$(in_system)" = Pictavo.scr

# Uninstall: everything Setup put there goes, the user's things stay.
wine 'C:\Program Files\Pictavo\uninstall.exe' /S
wait_gone "$installed"
check "the uninstaller removed the folder" test ! -e "$installed"
check "the uninstaller removed the list entry" bash -c "! '$WINELOADER' reg query '$uninstall_key' >/dev/null 2>&1"
check "the uninstaller removed the screen-saver choice" test -z "$(regval "$desktop" SCRNSAVE.EXE)"
check "the uninstaller removed the system folder's copy" test -z "$(in_system)"
check "pictures and collections are byte for byte as they were" test "$(cd "$images" && sha256sum -- * | sort)" = "$before"
check "the settings stay" test "$(regval 'HKCU\Software\Pictavo\Options' ImagesDir)" = 'C:\users\Photos'

# For the current user only, into a folder whose path holds a space (/D= comes last and unquoted: two words
# here), and a screen-saver choice that names another saver is left alone.
wine 'C:\setup.exe' /S /CurrentUser '/D=C:\users\Ann' 'Lee\Pictavo'
user_dir="$drive_c/users/Ann Lee/Pictavo"
check "/CurrentUser /D= installs into that folder" test -f "$user_dir/Pictavo.scr"
check "/CurrentUser registers the entry for the user" haskey "$user_uninstall_key"
check "/CurrentUser registers no entry for the machine" bash -c "! '$WINELOADER' reg query '$uninstall_key' >/dev/null 2>&1"
short=$(regval "$desktop" SCRNSAVE.EXE)
check "the screen saver is its short path ($short)" bash -c "[[ '$short' == C:*'\\Pictavo.scr' && '$short' != *' '* ]]"
lnk=$(find "$drive_c/users" -name 'Pictavo screen saver.lnk' | head -n 1)
check "a Start-menu entry chooses it again with Windows' Install command" \
  sh -c "strings -el '$lnk' | grep -qF 'desk.cpl,InstallScreenSaver C:\users\Ann Lee\Pictavo\Pictavo.scr'"
run_show "$short"
check "the short path starts the show (centre pixel $pixel)" test "${pixel:0:6}" = 20C040
wine reg add "$desktop" /v SCRNSAVE.EXE /t REG_SZ /d 'C:\windows\system32\other.scr' /f >/dev/null
uninstaller=$(regval "$user_uninstall_key" UninstallString | tr -d '"')
wine "$uninstaller" /S
wait_gone "$user_dir"
check "the per-user uninstall removes the folder and both entries" \
  bash -c "[ ! -e '$user_dir' ] && [ ! -e '$lnk' ] && ! '$WINELOADER' reg query '$user_uninstall_key' >/dev/null 2>&1"
check "another saver's choice is left alone" test "$(regval "$desktop" SCRNSAVE.EXE)" = 'C:\windows\system32\other.scr'

# The released (32-bit) installer itself, where this host can run 32-bit programs: on 64-bit Windows it
# installs the 64-bit build.
if /usr/lib/wine/wine --version >/dev/null 2>&1 && [ "$(uname -m)" = x86_64 ] && [ -e /proc/sys/fs/binfmt_misc ] &&
   /usr/lib/wine/wine cmd /c exit 0 >/dev/null 2>&1; then
  cp "dist/Pictavo-$version-setup.exe" "$drive_c/setup32.exe"
  /usr/lib/wine/wine 'C:\setup32.exe' /S
  check "the 32-bit installer installs the 64-bit build" sh -c "file '$installed/Pictavo.scr' | grep -q x86-64"
  check "also into the 64-bit system folder" cmp -s "$system/Pictavo.scr" "$installed/Pictavo.scr"
  wine 'C:\Program Files\Pictavo\uninstall.exe' /S; wait_gone "$installed"
  check "and its uninstaller removes it from there" test -z "$(in_system)"
else
  echo "note: the 32-bit installer itself was not run: this host cannot run 32-bit programs"
fi
[ "$failures" -eq 0 ] || { echo "$failures release check(s) failed"; exit 1; }
echo "release: all checks passed"
