#!/usr/bin/env bash
# The Quantum:21 benchmark: method_bench.sh on a cabinet made with `mksetup --compress quantum:21`.
exec "$(dirname "${BASH_SOURCE[0]}")/method_bench.sh" quantum:21 "$@"
