#!/bin/bash
# Builds the libFuzzer targets of tests/fuzz with clang under AddressSanitizer
# and UBSan and runs each for a while (10 minutes by default), on inputs of
# up to 4 MB, the most a mail part gives a reader; an input that takes longer
# than 2 s counts as a failure, so a reader that slows down with the square of
# its input is caught:
#   scripts/fuzz.sh [seconds per target] [target ...]
# Targets: parse_headers decode_header_text dates reply_reader message_view
# html_text (all by default). Corpora grow in build/fuzz/corpus-<target>; a crash leaves its
# input in build/fuzz/ (rerun: build/fuzz/fuzz_<target> <file>).
# (clang cannot compile string literals to code page 949, so this build's
# Korean texts are UTF-8; the properties checked do not depend on that.)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-600}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(parse_headers decode_header_text dates reply_reader message_view html_text)

if ! command -v clang++ >/dev/null; then
    SUDO=
    [ "$(id -u)" -ne 0 ] && SUDO=sudo
    $SUDO apt-get update -q
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends clang libclang-rt-dev
fi

out="$root/build/fuzz"
mkdir -p "$out"
# The readers and what they build on: base, net and mail as the native build
# takes them (no Windows-only files such as the registry store and the WinINet
# fetch; TLS as the unsupported stand-in).
sources=()
for source in "$root"/src/{base,net,mail}/*.cpp; do
    case $(basename "$source") in
    registry_profile.cpp | version_fetch.cpp | tls_channel_schannel.cpp | server_certificate.cpp) ;;
    *) sources+=("$source") ;;
    esac
done
flags=(-std=c++17 -g -O1 -fsanitize=address,undefined -fno-sanitize-recover=undefined -I"$root/src")

# The sources are compiled once for every target.
mkdir -p "$out/objects"
objects=()
for source in "${sources[@]}"; do
    object="$out/objects/$(basename "$(dirname "$source")")_$(basename "${source%.cpp}").o"
    clang++ "${flags[@]}" -fsanitize=fuzzer-no-link -c "$source" -o "$object"
    objects+=("$object")
done

status=0
for target in "${targets[@]}"; do
    echo "== $target: building"
    clang++ "${flags[@]}" -fsanitize=fuzzer "$root/tests/fuzz/fuzz_$target.cpp" "${objects[@]}" -o "$out/fuzz_$target"
    corpus="$out/corpus-$target"
    mkdir -p "$corpus"
    # Seeds: the test server's messages and a few typical lines.
    cp "$root"/tests/peers/messages/*/*.eml "$corpus/" 2>/dev/null || true
    printf '24 Jul 2001 10:05:09 +0900' >"$corpus/seed-date"
    printf '=?euc-kr?B?x9Gx2yDBprjxwNS0z7TZ?= <a@b>' >"$corpus/seed-word"
    printf '\x05+OK 12 octets\r\nFrom: a@b\r\n..x\r\n.\r\n' >"$corpus/seed-reply"
    rm -rf "$out"/store-*
    echo "== $target: running ${seconds}s"
    # The 2 s limit is wall-clock time, so on a busy machine an input can
    # exceed it only because the fuzzer got no processor. A timeout whose
    # input passes when run again alone is reported, and the target goes on
    # with its corpus for the rest of its time.
    end=$((SECONDS + seconds))
    while [ $SECONDS -lt $end ]; do
        log="$out/$target.log"
        (cd "$out" && "./fuzz_$target" -max_total_time=$((end - SECONDS)) -timeout=2 -max_len=4194304 \
            -print_final_stats=1 "$corpus" >"$log" 2>&1) && failed=0 || failed=1
        grep -E "^#[0-9]+.*DONE|stat::number_of_executed_units|ERROR|SUMMARY|Test unit written" "$log" || true
        [ $failed = 1 ] || break
        unit=$(sed -n 's/.*Test unit written to \.\/\(timeout-[0-9a-f]*\).*/\1/p' "$log")
        if [ -n "$unit" ] && (cd "$out" && "./fuzz_$target" -timeout=2 "$unit" >/dev/null 2>&1); then
            echo "== $target: $unit passes when run alone (the machine was busy); going on"
            rm -f "$out/$unit"
            continue
        fi
        status=1
        break
    done
done
exit $status
