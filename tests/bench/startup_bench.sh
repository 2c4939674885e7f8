#!/bin/bash
# Start-up benchmark under Wine, against the least tray program
# (minimal_tray.exe): time from process creation until the main window with
# its tray icon exists, its memory after some idle seconds (working set as
# Wine reports it, and the private resident memory of its Linux process),
# medians of RUNS runs each, and the size of the stripped programs.
# Tidemark runs in a Wine prefix of its own without accounts.
#   tests/bench/startup_bench.sh [RUNS]   (after scripts/build.sh windows)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
runs=${1:-5}
build="$root/build/windows"
work="$root/build/bench"
mkdir -p "$work"
export WINEPREFIX="$work/wineprefix"
source "$root/scripts/wine-env.sh"
tidemark_enter_wine

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# The private resident memory (RssAnon, KB) of the Linux process running
# the Windows program named NAME.exe in this prefix.
private_kb() {
    local pid
    for pid in $(pgrep -f "\\$1\.exe\$"); do
        tr '\0' '\n' <"/proc/$pid/environ" | grep -qxF "WINEPREFIX=$WINEPREFIX" || continue
        awk '$1 == "RssAnon:" { print $2 }' "/proc/$pid/status"
        return
    done
}

measure() { # PROGRAM CLASS: prints "startup_ms working_set_kb private_kb" per run
    local result="$work/probe.txt" private
    for _ in $(seq "$runs"); do
        rm -f "$result"
        "$WINE" explorer /desktop=Bench,800x600 "$build/startup_probe.exe" "$1" "$2" "Z:$result" >/dev/null 2>&1 &
        sleep 4
        private=$(private_kb "$(basename "$1" .exe)")
        for _ in $(seq 200); do
            [ "$(wc -l <"$result" 2>/dev/null || echo 0)" -ge 2 ] && break
            sleep 0.1
        done
        echo "$(awk '{ printf "%s ", $2 }' "$result")$private"
        "$WINESERVER" -w
    done
}

report() { # NAME PROGRAM CLASS
    local rows
    rows=$(measure "$2" "$3")
    x86_64-w64-mingw32-strip -o "$work/stripped.exe" "$2"
    printf '%-14s start-up %5s ms   working set %6s KB   private %6s KB   stripped exe %5s KB\n' "$1" \
        "$(cut -d' ' -f1 <<<"$rows" | median)" "$(cut -d' ' -f2 <<<"$rows" | median)" \
        "$(cut -d' ' -f3 <<<"$rows" | median)" \
        "$(($(stat -c %s "$work/stripped.exe") / 1024))"
}

"$WINE" reg delete 'HKCU\Software\Harrowby' /f >/dev/null 2>&1 || true
"$WINESERVER" -w
echo "median of $runs runs under $("$WINE" --version)"
report minimal_tray "$build/minimal_tray.exe" MinimalTray
report tidemark "$build/tidemark.exe" TidemarkFrame
