#!/bin/bash
# Start-up benchmark under Wine, against the least tray program
# (minimal_tray.exe): time from process creation until the main window with
# its tray icon exists, its memory after some idle seconds (working set as
# Wine reports it, and the private resident memory of its Linux process),
# medians of RUNS runs each, and the size of the programs. Both run stripped,
# as the installer ships Tidemark (Wine reads an image whose sections are not
# page-aligned in the file into private memory, debugging sections too). Tidemark
# is measured twice, in a Wine prefix of its own: without accounts, and with
# the run script's demo account after its first check of the demo mailbox
# (dovecot started here), once the postman window it opened is closed.
# Prints the table of the README's "Start-up and size".
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
key='HKCU\Software\Harrowby'
postmanCaption=Tidemark
hideCommand=1123 # the postman window's hide button

"$root/tests/peers/pop3-peer.sh" start "$work/pop3" "$root/scripts/demo/mail" >/dev/null
trap '"$root/tests/peers/pop3-peer.sh" stop "$work/pop3"; tidemark_stop_display' EXIT
"$root/scripts/demo/demo_account.py" "$(cat "$work/pop3/pop3.port")" 0 0 >"$work/demo-account.reg"

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# The private resident memory (RssAnon, KB) of the Linux process running
# the Windows program named NAME.exe in this prefix; its mappings go to
# $work/last.smaps.
private_kb() {
    local pid
    for pid in $(pgrep -f "^[^ ]*$1\.exe *\$"); do
        tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" || continue
        awk '$1 == "RssAnon:" { print $2 }' "/proc/$pid/status"
        cp "/proc/$pid/smaps" "$work/last.smaps"
        return
    done
}

# Resident KB per mapped file (or [anon], [heap]) of a saved smaps.
resident_by_mapping() {
    awk '/^[0-9a-f]+-[0-9a-f]+ / { name = NF >= 6 ? $6 : "[anon]" } $1 == "Rss:" { kb[name] += $2 }
         END { for (n in kb) print n, kb[n] }' "$1"
}

no_account() { "$WINE" reg delete "$key" /f >/dev/null 2>&1 || true; }
demo_account() {
    no_account
    "$WINE" regedit /S "$work/demo-account.reg"
}

measure() { # PREPARE PROGRAM CLASS [CAPTION COMMAND]: "startup_ms working_set_kb private_kb" per run
    local result="$work/probe.txt" prepare=$1 program=$2
    shift 2
    for _ in $(seq "$runs"); do
        rm -f "$result"
        "$prepare"
        "$WINESERVER" -w
        "$WINE" explorer /desktop=Bench,800x600 "$build/startup_probe.exe" "$program" "$1" "Z:$result" "${@:2}" \
            >/dev/null 2>&1 &
        for _ in $(seq 900); do
            [ "$(cat "$result" 2>/dev/null | wc -l)" -ge 2 ] && break
            sleep 0.1
        done
        echo "$(awk '{ printf "%s ", $2 }' "$result" 2>/dev/null)$(private_kb "$(basename "$program" .exe)")"
        "$WINESERVER" -w
    done
}

yardstick=()
row() { # NAME PREPARE PROGRAM CLASS [CAPTION COMMAND]
    local name=$1 prepare=$2 stripped rows startup working private size
    stripped="$work/$(basename "$3")"
    x86_64-w64-mingw32-strip -o "$stripped" "$3"
    shift 3
    rows=$(measure "$prepare" "$stripped" "$@")
    mv "$work/last.smaps" "$work/$name.smaps"
    startup=$(cut -d' ' -f1 <<<"$rows" | median)
    working=$(cut -d' ' -f2 <<<"$rows" | median)
    private=$(cut -d' ' -f3 <<<"$rows" | median)
    size=$(($(stat -c %s "$stripped") / 1024))
    [ ${#yardstick[@]} -gt 0 ] || yardstick=("$startup" "$working" "$private")
    awk -v name="$name" -v s="$startup" -v w="$working" -v p="$private" -v k="$size" \
        -v s0="${yardstick[0]}" -v w0="${yardstick[1]}" -v p0="${yardstick[2]}" 'BEGIN {
        ratio = name ~ /^minimal/ ? 0 : 1
        printf "| %s | %d ms%s | %.1f MB%s | %.1f MB%s | %s KB |\n", name,
            s, ratio ? sprintf(" (%.2fx)", s / s0) : "", w / 1024, ratio ? sprintf(" (%.2fx)", w / w0) : "",
            p / 1024, ratio ? sprintf(" (%.2fx)", p / p0) : "", k }'
}

echo "Medians of $runs runs, $("$WINE" --version), $(nproc) cores, commit $(git -C "$root" rev-parse --short HEAD)"
echo
echo "| | start-up to the tray icon | working set (Wine) | private memory (Linux) | stripped exe |"
echo "|---|---|---|---|---|"
row "minimal tray program" no_account "$build/minimal_tray.exe" MinimalTray
row "Tidemark, no account" no_account "$build/tidemark.exe" TidemarkFrame
row "Tidemark, after a check of the demo mailbox" demo_account "$build/tidemark.exe" TidemarkFrame \
    "$postmanCaption" $hideCommand
no_account
echo
echo "What the check and the postman window leave resident (last runs, the largest growths):"
echo
join -a 2 -e 0 -o 0,1.2,2.2 <(resident_by_mapping "$work/Tidemark, no account.smaps" | sort) \
    <(resident_by_mapping "$work/Tidemark, after a check of the demo mailbox.smaps" | sort) |
    awk '{ printf "%6d KB  %s\n", $3 - $2, $1 }' | sort -rn | head -10
