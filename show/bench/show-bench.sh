#!/usr/bin/env bash
# The show's benchmark: CPU share of a running show, change latency beside djpeg, memory for large
# photos, the time from start to the black screen and from input to the desktop back (with nothing
# pending, during a large decode and during a read that stalls), and what the process holds after many
# changes. Median of several runs each; prints a table.
# Runs in a Wine environment of its own on a 1920x1080 screen (made with scripts/wine-fixture.sh).
#
#   show-bench.sh SOURCE_DIR ARCH PICTAVO_SCR BENCH_EXE DESKTOP_HOLDER_EXE WORK_DIR
# Faster, rougher runs: SHOW_BENCH_CPU_RUNS=1 SHOW_BENCH_CPU_SECONDS=20.
# SHOW_BENCH_BEFORE=REF (a commit) also builds that commit's program and benchmark and prints their figures
# beside these. The stalled read needs FUSE (python3-fuse, installed here when missing).
set -euo pipefail
src=$1 arch=$2 program=$3 bench=$4 holder=$5 work=$6
cpu_runs=${SHOW_BENCH_CPU_RUNS:-3}
held_changes=${SHOW_BENCH_HELD_CHANGES:-3000}
cpu_seconds=${SHOW_BENCH_CPU_SECONDS:-60}
convert=/usr/bin/convert
command -v djpeg >/dev/null || { echo "djpeg is missing (libjpeg-turbo-progs)" >&2; exit 1; }
[ -x "$convert" ] || { echo "ImageMagick is missing ($convert)" >&2; exit 1; }

mkdir -p "$work/images"
envdir="$work/wine"
started=()
cleanup() {
  fusermount3 -u "$work/stall" 2>/dev/null || umount "$work/stall" 2>/dev/null || true
  for p in "${started[@]}"; do kill "$p" 2>/dev/null || true; done
  bash "$src/scripts/wine-fixture.sh" stop "$envdir" >/dev/null 2>&1 || true
}
trap cleanup EXIT
bash "$src/scripts/wine-fixture.sh" start "$envdir" 96 "$arch" "$holder" 1920x1080 >/dev/null
# shellcheck disable=SC1091
. "$envdir/env.sh"
wine=$WINELOADER

winpath() { printf 'Z:%s' "$(printf '%s' "$1" | tr / '\\')"; }
median() { sort -n | awk '{v[NR]=$1} END {if (NR==0) {print "n/a"; exit} if (NR%2) print v[(NR+1)/2]; else printf "%.1f\n", (v[NR/2]+v[NR/2+1])/2}'; }
now_ms() { date +%s%3N; }
setting() { "$wine" reg add 'HKCU\Software\Pictavo\Options' /v "$1" /t REG_SZ /d "$2" /f >/dev/null 2>&1; }

# Photo-like JPEGs: a fractal with grain, at camera sizes. Made once per work directory.
make_jpeg() {  # name width height
  local out="$work/images/$1.jpg"
  [ -s "$out" ] && return 0
  echo "making $1.jpg ($2x$3)..." >&2
  "$convert" -seed 7 -size 800x600 plasma:fractal -resize "$2x$3!" -attenuate 0.35 +noise Gaussian \
             -quality 90 -sampling-factor 2x2 "$out"
}
# ImageMagick's resource policy stops short of 100 megapixels: that one is made from eight strips,
# joined as raw pixels and compressed by cjpeg.
make_big_jpeg() {  # name width height
  local out="$work/images/$1.jpg" strip=$(( $3 / 8 )) i raw="$work/images/$1.raw"
  [ -s "$out" ] && return 0
  echo "making $1.jpg ($2x$3)..." >&2
  : >"$raw"
  for i in 1 2 3 4 5 6 7 8; do
    "$convert" -seed "$i" -size 800x600 plasma:fractal -resize "$2x$strip!" -attenuate 0.35 +noise Gaussian \
               -depth 8 rgb:- >>"$raw"
  done
  { printf 'P6\n%d %d\n255\n' "$2" "$(( strip * 8 ))"; cat "$raw"; } | cjpeg -quality 90 -sample 2x2 >"$out"
  rm -f "$raw"
}
make_jpeg mp2 1920 1080
make_jpeg mp12 4000 3000
make_jpeg mp24 6000 4000
make_big_jpeg mp100 12240 8160
# A large progressive photo: its whole file is decoded before any row comes out (over a second here).
if [ ! -s "$work/images/mp48p.jpg" ]; then
  echo "making mp48p.jpg (8000x6000, progressive)..." >&2
  "$convert" "$work/images/mp24.jpg" -resize '8000x6000!' -interlace JPEG -quality 90 -sampling-factor 2x2 \
             "$work/images/mp48p.jpg"
fi

# The program and benchmark of an earlier commit, built from its own sources beside this build.
before_prog="" before_bench=""
if [ -n "${SHOW_BENCH_BEFORE:-}" ]; then
  tree="$work/before-$SHOW_BENCH_BEFORE"
  if [ ! -x "$tree/build/bin/Pictavo.scr" ]; then
    echo "building $SHOW_BENCH_BEFORE..." >&2
    rm -rf "$tree"; mkdir -p "$tree/src"
    git -C "$src" archive "$SHOW_BENCH_BEFORE" | tar -x -C "$tree/src"
    cmake -S "$tree/src" -B "$tree/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
          -DCMAKE_TOOLCHAIN_FILE="$tree/src/cmake/mingw-$arch.cmake" -DPICTAVO_DEPS_DIR="$src/.deps" >/dev/null
    cmake --build "$tree/build" --target Pictavo pictavo_show_bench >/dev/null
  fi
  mkdir -p "$tree/program"; cp "$tree/build/bin/Pictavo.scr" "$tree/program/"  # without the splash beside it
  before_prog="$tree/program/Pictavo.scr"
  before_bench=$(find "$tree/build" -name pictavo_show_bench.exe | head -n 1)
fi

# A disk that has to wake up: the first read of each picture waits 8 s (FUSE).
stall_dir=""
if [ -e /dev/fuse ]; then
  python3_=/usr/bin/python3
  if ! "$python3_" -c 'import fuse' 2>/dev/null; then
    sudo_cmd=(); [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends python3-fuse fuse3 \
      >/dev/null 2>&1 || true
  fi
  mkdir -p "$work/stall-src" "$work/stall"
  fusermount3 -u "$work/stall" 2>/dev/null || umount "$work/stall" 2>/dev/null || true
  if "$python3_" -c 'import fuse' 2>/dev/null; then
    setsid "$python3_" "$src/show/bench/stall-fs.py" "$work/stall-src" "$work/stall" 8 </dev/null >/dev/null 2>&1 &
    started+=("$!")
    for _ in $(seq 50); do mountpoint -q "$work/stall" && break; sleep 0.1; done
    mountpoint -q "$work/stall" && stall_dir="$work/stall"
  fi
fi
[ -n "$stall_dir" ] || echo "note: no FUSE here: the stalled read is not measured" >&2

# An images directory with one collection of the given files (linked from the image cache).
make_set() {  # name use file...
  local dir="$work/sets/$1" use=$2 i=1; shift 2
  rm -rf "$dir"; mkdir -p "$dir"
  { printf '[Collection Info]\r\nNAME=Bench\r\nCOMMENT=\r\nCOPYRIGHT=\r\nUSE=%s\r\n\r\n[Images]\r\n' "$use"
    for f in "$@"; do ln -f "$work/images/$f" "$dir/$i-$f"; printf '%s^Bench %d\r\n' "$i-$f" "$i"; i=$((i+1)); done
  } >"$dir/Bench.IC1"
  printf '%s' "$dir"
}

# The program on its own, without a splash beside it.
mkdir -p "$work/program"; rm -f "$work/program/about.jpg"
cp "$program" "$work/program/Pictavo.scr"
prog="$work/program/Pictavo.scr"

# The server process of this prefix: the wineserver working in the prefix's server directory (named
# after the prefix's device and inode).
read -r dev ino < <(stat -c '%d %i' "$WINEPREFIX")
serverdir=$(printf 'server-%x-%x' "$dev" "$ino")
server=""
for p in $(pgrep -f wineserver || true); do
  case "$(readlink "/proc/$p/cwd" 2>/dev/null)" in */"$serverdir") server=$p ;; esac
done
[ -n "$server" ] || { echo "wineserver of the prefix not found" >&2; exit 1; }

cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
status_kb() { awk -v k="$2:" '$1 == k {print $2}' "/proc/$1/status"; }
start_show() {  # starts Pictavo.scr /S and prints the pid of its process
  setsid "$wine" "$prog" /S </dev/null >/dev/null 2>&1 &
  local pid=$!
  started+=("$pid")
  printf '%s' "$pid"
}
end_show() {  # ends the show with a key press and waits for the process
  local pid=$1 i
  DISPLAY=$DISPLAY xdotool key shift
  for i in $(seq 100); do kill -0 "$pid" 2>/dev/null || return 0; sleep 0.05; done
  echo "warning: the show did not end on input; stopping it" >&2
  kill "$pid" 2>/dev/null || true
}

setting Random FALSE
setting UseAll FALSE

# 1. Change latency, in the show's own code path, beside djpeg on the same file.
declare -A lat dj dec
for f in mp12 mp24; do
  out=$("$wine" "$bench" latency "$(winpath "$work/images")" "$f.jpg" 7 | tr -d '\r')
  case "$out" in latency_ms*) lat[$f]=$(echo "$out" | awk '{print $2}') ;; *) echo "$out" >&2; lat[$f]=n/a ;; esac
  out=$("$wine" "$bench" decode "$(winpath "$work/images/$f.jpg")" 7 | tr -d '\r')
  case "$out" in decode_ms*) dec[$f]=$(echo "$out" | awk '{print $2}') ;; *) echo "$out" >&2; dec[$f]=n/a ;; esac
  dj[$f]=$(for i in $(seq 7); do t0=$(date +%s%N); djpeg -outfile /dev/null "$work/images/$f.jpg"; t1=$(date +%s%N)
           echo "scale=1; ($t1 - $t0) / 1000000" | bc; done | median)
done

# 1a. One monitor against two (1920x1080 each, side by side), in the show's own code path: change latency
#     (the tick to every monitor's picture drawn), CPU per change, and memory (peak and after three changes).
declare -A mlat mcpu mpeak msteady
for m in 1 2; do
  for f in mp12 mp24; do
    out=$("$wine" "$bench" latency "$(winpath "$work/images")" "$f.jpg" 7 "$m" | tr -d '\r')
    case "$out" in latency_ms*) mlat[$f$m]=$(echo "$out" | awk '{print $2}'); mcpu[$f$m]=$(echo "$out" | awk '{print $4}') ;;
                   *) echo "$out" >&2; mlat[$f$m]=n/a; mcpu[$f$m]=n/a ;; esac
  done
  peaks=() steadys=()
  for run in 1 2 3; do
    out=$("$wine" "$bench" memory "$(winpath "$work/images")" mp24.jpg "$m" | tr -d '\r')
    case "$out" in memory_kb*) peaks+=("$(echo "$out" | awk '{print $2}')"); steadys+=("$(echo "$out" | awk '{print $3}')") ;;
                   *) echo "$out" >&2 ;; esac
  done
  mpeak[$m]=$(printf '%s\n' "${peaks[@]}" | median)
  msteady[$m]=$(printf '%s\n' "${steadys[@]}" | median)
done
# The same with the earlier commit's benchmark, for the table of before and after.
declare -A blat bpeak
for m in 1 2; do
  blat[$m]=n/a; bpeak[$m]=n/a
  [ -n "$before_bench" ] || continue
  out=$("$wine" "$before_bench" latency "$(winpath "$work/images")" mp24.jpg 7 "$m" | tr -d '\r')
  case "$out" in latency_ms*) blat[$m]=$(echo "$out" | awk '{print $2}') ;; *) echo "$out" >&2 ;; esac
  peaks=()
  for run in 1 2 3; do
    out=$("$wine" "$before_bench" memory "$(winpath "$work/images")" mp24.jpg "$m" | tr -d '\r')
    case "$out" in memory_kb*) peaks+=("$(echo "$out" | awk '{print $2}')") ;; *) echo "$out" >&2 ;; esac
  done
  bpeak[$m]=$(printf '%s\n' "${peaks[@]}" | median)
done

# 1b. Handles, GDI objects and memory after many changes (each followed by a display change), in process.
held=$("$wine" "$bench" leaks "$(winpath "$work/images")" mp2.jpg "$held_changes" | tr -d '\r')
case "$held" in held_after_changes*) ;; *) echo "$held" >&2; held="held_after_changes $held_changes n/a" ;; esac

# 2. Start to black screen, and input to the desktop back (the window gone) and to the process gone: with
#    nothing pending (a collection not in use: the show stays black), during the decode of a large
#    progressive photo, during a read that stalls; beside a bare black window with the same timer.
setting Delay 10
black_set=$(make_set black NO mp12.jpg)
large_set=$(make_set large YES mp48p.jpg)
if [ -n "$stall_dir" ]; then
  rm -rf "$work/stall-src/"*; cp -a "$(make_set stall YES mp12.jpg)/." "$work/stall-src/"
fi
declare -A black gone gone_exit
measure_start() {  # key program set argument input_after_ms
  local key=$1 program=$2 set=$3 argument=$4 after=$5 out
  black[$key]=n/a; gone[$key]=n/a; gone_exit[$key]=n/a
  [ -n "$program" ] && [ -n "$set" ] || return 0
  setting ImagesDir "$(winpath "$set")"
  out=$("$wine" "$bench" start "$(winpath "$program")" 5 "$argument" "$after" | tr -d '\r')
  black[$key]=$(echo "$out" | awk '$1 == "start_to_black_ms" {print $2}')
  gone[$key]=$(echo "$out" | awk '$1 == "input_to_window_gone_ms" {print $2}')
  gone_exit[$key]=$(echo "$out" | awk '$1 == "input_to_exit_ms" {print $2}')
}
for who in after before; do
  program=$prog; [ $who = before ] && program=$before_prog
  measure_start "$who-idle" "$program" "$black_set" /S 500
  measure_start "$who-large" "$program" "$large_set" /S 200
  measure_start "$who-stall" "$program" "$stall_dir" /S 200
done
measure_start bare "$bench" "$black_set" bare 500
to_black=${black[after-idle]}
to_exit=${gone_exit[after-idle]}

# 3. Memory while showing one large photo (peak = high-water mark of the resident set, steady = resident
#    set once the picture stands).
declare -A peak steady
for f in mp24 mp100; do
  setting ImagesDir "$(winpath "$(make_set "mem-$f" YES "$f.jpg")")"
  peaks=() steadys=()
  for run in 1 2 3; do
    pid=$(start_show)
    sleep 8
    peaks+=("$(status_kb "$pid" VmHWM)")
    steadys+=("$(status_kb "$pid" VmRSS)")
    end_show "$pid"
  done
  peak[$f]=$(printf '%s\n' "${peaks[@]}" | median)
  steady[$f]=$(printf '%s\n' "${steadys[@]}" | median)
done

# 4. CPU share of a running show with a delay of 10 (a change every 11 s), program + wineserver: with
#    12-megapixel photos, with screen-sized photos, and with nothing to decode (the cost of waiting); and of
#    a bare window of the same size with the same one-second timer, the reference for the waiting.
hz=$(getconf CLK_TCK)
declare -A cpu cpu_prog cpu_server
start_bare() {  # starts the bare window and prints the pid of its process
  setsid "$wine" "$bench" bare </dev/null >/dev/null 2>&1 &
  local pid=$!
  started+=("$pid")
  printf '%s' "$pid"
}
for kind in mp12 mp2 idle bare; do
  case $kind in
    idle|bare) setting ImagesDir "$(winpath "$(make_set cpu-$kind NO mp2.jpg)")" ;;
    *) setting ImagesDir "$(winpath "$(make_set cpu-$kind YES $kind.jpg $kind.jpg $kind.jpg)")" ;;
  esac
  setting Delay 10
  shares=() progshares=() servershares=()
  for run in $(seq "$cpu_runs"); do
    if [ $kind = bare ]; then pid=$(start_bare); else pid=$(start_show); fi
    sleep 5
    p0=$(cpu_ticks "$pid"); s0=$(cpu_ticks "$server"); t0=$(now_ms)
    sleep "$cpu_seconds"
    p1=$(cpu_ticks "$pid"); s1=$(cpu_ticks "$server"); t1=$(now_ms)
    end_show "$pid"
    secs=$(echo "scale=3; ($t1 - $t0) / 1000" | bc)
    shares+=("$(echo "scale=3; 100 * ($p1 - $p0 + $s1 - $s0) / $hz / $secs" | bc)")
    progshares+=("$(echo "scale=3; 100 * ($p1 - $p0) / $hz / $secs" | bc)")
    servershares+=("$(echo "scale=3; 100 * ($s1 - $s0) / $hz / $secs" | bc)")
  done
  cpu[$kind]=$(printf '%s\n' "${shares[@]}" | median)
  cpu_prog[$kind]=$(printf '%s\n' "${progshares[@]}" | median)
  cpu_server[$kind]=$(printf '%s\n' "${servershares[@]}" | median)
done

mb() { [ "$1" = n/a ] && echo n/a || echo "scale=1; $1 / 1024" | bc; }
ratio() { [ "$1" = n/a ] || [ "$2" = n/a ] || [ "$2" = 0 ] && echo n/a || echo "scale=2; $1 / $2" | bc; }
echo
echo "Pictavo show benchmark (Wine, Xvfb 1920x1080, median of runs)"
printf '%-58s %10s %10s\n' "figure" "Pictavo" "reference"
printf '%-58s %9s%% %10s\n' "CPU over ${cpu_seconds} s, delay 10, 12 MP photos (program+server)" "${cpu[mp12]}" "goal <1%"
printf '%-58s %9s%% %9s%%\n' "  of which program / wineserver" "${cpu_prog[mp12]}" "${cpu_server[mp12]}"
printf '%-58s %9s%% %10s\n' "CPU over ${cpu_seconds} s, delay 10, 2 MP photos (program+server)" "${cpu[mp2]}" "goal <1%"
printf '%-58s %9s%% %9s%%\n' "  of which program / wineserver" "${cpu_prog[mp2]}" "${cpu_server[mp2]}"
printf '%-58s %9s%% %10s\n' "CPU over ${cpu_seconds} s, delay 10, nothing to decode" "${cpu[idle]}" "goal <1%"
printf '%-58s %9s%% %9s%%\n' "  of which program / wineserver" "${cpu_prog[idle]}" "${cpu_server[idle]}"
printf '%-58s %9s%% %9s%%  ratio %s (goal <= 1.1)\n' "  against a bare window, same size and timer (program+server)" \
  "${cpu[idle]}" "${cpu[bare]}" "$(ratio "${cpu[idle]}" "${cpu[bare]}")"
printf '%-58s %9s%% %9s%%\n' "  bare window: program / wineserver" "${cpu_prog[bare]}" "${cpu_server[bare]}"
for f in mp12 mp24; do
  label=$([ $f = mp12 ] && echo 12 || echo 24)
  printf '%-58s %8s ms %7s ms  ratio %s (goal <= 0.5)\n' "change latency, $label MP JPEG (Pictavo / djpeg)" "${lat[$f]}" \
    "${dj[$f]}" "$(ratio "${lat[$f]}" "${dj[$f]}")"
  printf '%-58s %8s ms\n' "  of which the decode of the visible part" "${dec[$f]}"
done
printf '%-58s %8s MB\n' "memory showing 24 MP JPEG, peak" "$(mb "${peak[mp24]}")"
printf '%-58s %8s MB\n' "memory showing 24 MP JPEG, steady" "$(mb "${steady[mp24]}")"
printf '%-58s %8s MB\n' "memory showing 100 MP JPEG, peak" "$(mb "${peak[mp100]}")"
printf '%-58s %8s MB\n' "memory showing 100 MP JPEG, steady" "$(mb "${steady[mp100]}")"
printf '%-58s %8s ms\n' "start of the process to black screen" "$to_black"
# handles, GDI objects (0 where the system does not count them), user objects, committed KB, after the first change and after the last
printf '%-58s %s\n' "held after ${held_changes} changes (first last)" "$(echo "$held" | cut -d' ' -f3-)"
printf '%-58s %8s ms\n' "input to process gone" "$to_exit"
echo
echo "Input and start, measured from outside on the real Pictavo.scr (median of 5 runs)"
printf '%-58s %10s %10s %10s\n' "figure" "before" "after" "bare"
for k in idle large stall; do
  case $k in idle) what="nothing pending" ;; large) what="a 48 MP progressive photo decoding" ;;
             stall) what="a read that stalls 8 s" ;; esac
  printf '%-58s %7s ms %7s ms %7s ms\n' "input to the desktop back, $what" "${gone[before-$k]}" "${gone[after-$k]}" \
    "$([ $k = idle ] && echo "${gone[bare]}" || echo -)"
  printf '%-58s %7s ms %7s ms %7s ms\n' "  to the process gone" "${gone_exit[before-$k]}" "${gone_exit[after-$k]}" \
    "$([ $k = idle ] && echo "${gone_exit[bare]}" || echo -)"
done
printf '%-58s %7s ms %7s ms %7s ms\n' "start of the process to black screen" "${black[before-idle]}" \
  "${black[after-idle]}" "${black[bare]}"
printf '%-58s %10s %10s\n' "  against the bare window (goal <= 1.2)" "$(ratio "${black[before-idle]}" "${black[bare]}")" \
  "$(ratio "${black[after-idle]}" "${black[bare]}")"
echo
echo "One monitor against two (1920x1080 each, side by side; in the show's code path)"
printf '%-58s %10s %10s %8s\n' "figure" "one" "two" "ratio"
for f in mp12 mp24; do
  label=$([ $f = mp12 ] && echo 12 || echo 24)
  printf '%-58s %7s ms %7s ms %8s\n' "change latency, $label MP JPEG on every monitor" "${mlat[${f}1]}" "${mlat[${f}2]}" \
    "$(ratio "${mlat[${f}2]}" "${mlat[${f}1]}")"
  printf '%-58s %7s ms %7s ms %8s\n' "CPU per change, $label MP JPEG on every monitor" "${mcpu[${f}1]}" "${mcpu[${f}2]}" \
    "$(ratio "${mcpu[${f}2]}" "${mcpu[${f}1]}")"
done
printf '%-58s %7s MB %7s MB\n' "memory showing 24 MP JPEG, peak" "$(mb "${mpeak[1]}")" "$(mb "${mpeak[2]}")"
printf '%-58s %7s MB %7s MB\n' "memory showing 24 MP JPEG, steady" "$(mb "${msteady[1]}")" "$(mb "${msteady[2]}")"
echo
echo "Before and after${SHOW_BENCH_BEFORE:+ (before: $SHOW_BENCH_BEFORE)}, 24 MP JPEG on every monitor (in the show's code path)"
printf '%-58s %10s %10s\n' "figure" "before" "after"
for m in 1 2; do
  printf '%-58s %7s ms %7s ms\n' "change latency, $m monitor(s)" "${blat[$m]}" "${mlat[mp24$m]}"
  printf '%-58s %7s MB %7s MB\n' "peak memory, $m monitor(s)" "$(mb "${bpeak[$m]}")" "$(mb "${mpeak[$m]}")"
done
