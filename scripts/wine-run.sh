#!/usr/bin/env bash
# Runs a Windows program of the build under Wine, in the environment that
# scripts/wine-fixture.sh made (PICTAVO_WINE_DIR points at it).
set -eu
dir=${PICTAVO_WINE_DIR:?PICTAVO_WINE_DIR is not set: run this through ctest}
[ -f "$dir/env.sh" ] || { echo "no Wine environment in $dir" >&2; exit 1; }
PICTAVO_SKIP=""
# shellcheck disable=SC1091
. "$dir/env.sh"
if [ -n "$PICTAVO_SKIP" ]; then echo "skipped: $PICTAVO_SKIP"; exit 77; fi
exec "$WINELOADER" "$@"
