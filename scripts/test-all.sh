#!/usr/bin/env bash
# Builds everything and runs every test: the logic natively (ASan + UBSan), a short fuzz run,
# the Windows builds (64- and 32-bit) under Wine and Xvfb, and the release packages.
set -uo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh || exit 1

jobs=$(nproc)
passed=0; failed=0; skipped=0; status=0
logs=$(mktemp -d)

run_preset() {
  local preset=$1
  echo "=== $preset: configure and build"
  if ! cmake --preset "$preset" >"$logs/$preset-configure.log" 2>&1; then
    cat "$logs/$preset-configure.log"; status=1; failed=$((failed + 1)); return
  fi
  if ! cmake --build --preset "$preset" -j "$jobs" >"$logs/$preset-build.log" 2>&1; then
    tail -n 60 "$logs/$preset-build.log"; status=1; failed=$((failed + 1)); return
  fi
  echo "=== $preset: test"
  ctest --preset "$preset" -j "$jobs" 2>&1 | tee "$logs/$preset-test.log"
  local rc=${PIPESTATUS[0]}
  [ "$rc" -eq 0 ] || status=1
  local line total fail skip
  line=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$logs/$preset-test.log" | tail -n 1)
  total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line"); fail=$(sed -E 's/.* ([0-9]+) tests failed.*/\1/' <<<"$line")
  skip=$(grep -cE '\*\*\*Skipped|Not Run.*Disabled' "$logs/$preset-test.log" || true)
  [ -n "$total" ] || { total=0; fail=1; }
  passed=$((passed + total - fail - skip)); failed=$((failed + fail)); skipped=$((skipped + skip))
}

run_preset native
run_preset fuzz
run_preset win64
run_preset win32

# The release packages (zips and installer), built from the two Windows builds above and installed under Wine.
echo "=== release: package and install"
bash tests/release/release-test.sh 2>&1 | tee "$logs/release.log"
[ "${PIPESTATUS[0]}" -eq 0 ] || status=1
passed=$((passed + $(grep -c '^ok ' "$logs/release.log" || true)))
failed=$((failed + $(grep -c '^FAIL' "$logs/release.log" || true)))

rm -rf "$logs"
echo
echo "all presets: $passed passed, $failed failed, $skipped skipped"
exit $status
