#!/usr/bin/env bash
# Checks that every tracked C++ source is formatted as .clang-format says; lists the files
# that are not. Fix them with: git ls-files '*.cpp' '*.h' | xargs clang-format -i
set -euo pipefail
cd "$(dirname "$0")/.."
# clang-format fails on the first unformatted file; its report is what is read here.
bad=$( (git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror 2>&1 || true) |
      sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: error: code should be clang-formatted.*/\1/p' | sort -u)
if [ -n "$bad" ]; then
    echo "check-format: not formatted:" >&2
    echo "$bad" >&2
    exit 1
fi
echo "check-format: every source is formatted" >&2
