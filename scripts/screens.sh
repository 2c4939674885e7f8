#!/bin/bash
# Photographs every window of Tidemark under Wine at 96 and 120 DPI into
# docs/screens/96 and docs/screens/120 (PNG, one per window), and runs the
# dialog layout test at each DPI. Run scripts/build.sh windows first.
# The windows are opened by the disabled screens tests of windows_tests.exe on
# a Wine desktop, in a Wine prefix of this script's own (build/screens-prefix).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX="$root/build/screens-prefix"
source "$root/scripts/wine-env.sh"
tidemark_enter_wine

tests="$root/build/windows/windows_tests.exe"
status=0
for dpi in 96 120; do
    # Wine reads the system DPI from the user's desktop settings when its
    # server starts.
    "$WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null
    "$WINESERVER" -w
    shots="$root/build/screens/$dpi"
    rm -rf "$shots" && mkdir -p "$shots"
    TIDEMARK_SCREENS="Z:$shots" "$WINE" explorer /desktop=screens,1024x768 "$tests" \
        --gtest_also_run_disabled_tests --gtest_filter='DISABLED_ScreensTest.*:DialogLayout.*' \
        >"$shots/tests.log" 2>&1 || true
    "$WINESERVER" -w
    grep -q '^\[  PASSED  \]' "$shots/tests.log" && ! grep -q '^\[  FAILED  \]' "$shots/tests.log" || {
        echo "$dpi DPI: tests failed, see $shots/tests.log"
        status=1
    }
    out="$root/docs/screens/$dpi"
    mkdir -p "$out"
    for picture in "$shots"/*.bmp; do
        convert "$picture" -strip "$out/$(basename "${picture%.bmp}").png"
    done
    echo "$dpi DPI: $(ls "$out" | wc -l) pictures in docs/screens/$dpi"
done
exit $status
