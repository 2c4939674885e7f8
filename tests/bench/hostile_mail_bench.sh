#!/bin/bash
# hostile_mail_bench.cpp built with -O2 against the readers of a revision and
# of the working tree, run one after the other, shown side by side:
#   tests/bench/hostile_mail_bench.sh [revision (main)] [size (160000)]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
out=$root/build/bench-hostile size=${2:-160000}
rm -rf "$out" && mkdir -p "$out/earlier" && git -C "$root" archive "${1:-main}" src | tar -x -C "$out/earlier"
run() { # source tree, name
    g++ -std=c++17 -O2 -I"$1/src" "$root/tests/bench/hostile_mail_bench.cpp" "$1/src/base/ascii_text.cpp" \
        "$1"/src/mail/{html_text,mime_message,mime_parameters,charset,encoded_words,transfer_decoding}.cpp \
        "$1"/src/mail/{base64,quoted_printable,rich_document}.cpp -o "$out/bench-$2" && "$out/bench-$2" "$size" >"$out/$2.times"
}
run "$out/earlier" earlier
run "$root" now
echo "${1:-main} | working tree" && paste -d'|' "$out/earlier.times" <(cut -c37- "$out/now.times")
