#!/usr/bin/env bash
# The LZX:21 benchmark: method_bench.sh on a cabinet made with `mksetup --compress lzx:21`.
exec "$(dirname "${BASH_SOURCE[0]}")/method_bench.sh" lzx:21 "$@"
