#!/usr/bin/env bash
# Counts non-blank lines of C++ (.cpp, .h) under tests/ and under src/ + sim/,
# and prints both counts and their ratio.
set -euo pipefail
cd "$(dirname "$0")/.."

count() {
    find "$@" -type f \( -name '*.cpp' -o -name '*.h' \) -print0 |
        xargs -0 cat | grep -c -v '^[[:space:]]*$' || true
}

tests=$(count tests)
product=$(count src sim)
echo "tests:   $tests"
echo "product: $product"
awk -v t="$tests" -v p="$product" 'BEGIN { printf "ratio:   %.3f\n", (p > 0 ? t / p : 0) }'
