#!/bin/bash
# The hostile-mail benchmark (hostile_mail_bench.cpp) built with -O2 against
# the readers of an earlier revision and of the working tree, run one after
# the other and shown side by side:
#   tests/bench/hostile_mail_bench.sh [revision (main)] [size (160000)]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
revision=${1:-main}
size=${2:-160000}
out=$root/build/bench-hostile
rm -rf "$out/earlier" && mkdir -p "$out/earlier"
git -C "$root" archive "$revision" src | tar -x -C "$out/earlier"

build() { # source root, program
    local sources=("$1/src/base/ascii_text.cpp") reader
    for reader in html_text mime_message mime_parameters charset encoded_words transfer_decoding base64 \
        quoted_printable rich_document; do
        sources+=("$1/src/mail/$reader.cpp")
    done
    g++ -std=c++17 -O2 -I"$1/src" "$root/tests/bench/hostile_mail_bench.cpp" "${sources[@]}" -o "$2"
}
build "$out/earlier" "$out/bench-earlier"
build "$root" "$out/bench-now"
earlier=$("$out/bench-earlier" "$size")
now=$("$out/bench-now" "$size")
echo "size $size: $revision | working tree"
paste -d'|' <(echo "$earlier") <(echo "$now" | sed 's/^.\{36\}//')
