#!/usr/bin/env bash
# Builds the release versions of both Windows builds and writes into dist/:
#   Pictavo-VERSION-x64.zip, Pictavo-VERSION-x86.zip  the program and its files, to install by hand
#   Pictavo-VERSION-setup.exe                         the installer holding both builds (NSIS)
# The version is the one of the top-level CMakeLists.txt.
#
#   package.sh [--test-installer FILE]
# --test-installer also writes FILE: the same installer built as a 64-bit program, which the tests run
# under 64-bit Wine on hosts that cannot run 32-bit programs.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
test_installer=""
[ "${1:-}" = --test-installer ] && test_installer=${2:?file}
bash scripts/install-deps.sh

for preset in win64 win32; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$(nproc)" --target Pictavo >/dev/null
done
version=$(cat build/win64/pictavo-version.txt)

stage=$root/build/package
rm -rf "$stage"
cmake --install build/win64 --prefix "$stage/x64" >/dev/null
cmake --install build/win32 --prefix "$stage/x86" >/dev/null
if ! diff <(cd "$stage/x64" && ls) <(cd "$stage/x86" && ls) >/dev/null; then
  echo "package: the two builds do not hold the same files" >&2; exit 1
fi

# Every file the installer puts beside Pictavo.scr (README.txt is about installing by hand).
{
  echo '!macro PictavoFiles OP'
  (cd "$stage/x64" && ls) | grep -vx README.txt | while read -r f; do echo "  !insertmacro \${OP} \"$f\""; done
  echo '!macroend'
} >"$stage/files.nsh"

# The picture beside the installer's first and last pages, drawn from the About picture.
/usr/bin/convert -size 164x314 gradient:'#102a40-#2d6a7d' \( assets/about.jpg -crop 116x100+24+60 +repage \) \
  -gravity north -geometry +0+70 -composite -font DejaVu-Sans-Bold -pointsize 26 -fill white \
  -annotate +0+190 Pictavo "BMP3:$stage/wizard.bmp"

mkdir -p dist
rm -f dist/Pictavo-*
for arch in x64 x86; do
  (cd "$stage/$arch" && zip -X -q "$root/dist/Pictavo-$version-$arch.zip" $(ls))
done

nsis() {
  makensis -V2 -DVERSION="$version" -DSTAGE_X64="$stage/x64" -DSTAGE_X86="$stage/x86" -DFILES="$stage/files.nsh" \
           -DICON="$root/assets/Pictavo.ico" -DWIZARD="$stage/wizard.bmp" "$@" "$root/packaging/Pictavo.nsi" >"$stage/makensis.log" 2>&1 ||
    { cat "$stage/makensis.log" >&2; exit 1; }
}
nsis -DOUTFILE="$root/dist/Pictavo-$version-setup.exe"
[ -z "$test_installer" ] || { mkdir -p "$(dirname "$test_installer")"; nsis -DTARGET_AMD64 -DOUTFILE="$(realpath -m "$test_installer")"; }
ls -l dist/
