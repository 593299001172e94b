#!/usr/bin/env bash
# The MSZIP benchmark: method_bench.sh on the cabinet made with gcab -z.
exec "$(dirname "${BASH_SOURCE[0]}")/method_bench.sh" mszip "$@"
