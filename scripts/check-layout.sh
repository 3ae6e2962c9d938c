#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks that the folders of src/ include each other in one direction only:
# prints the folder graph (from #include "folder/..." lines) and fails on a cycle.
set -euo pipefail
cd "$(dirname "$0")/.."

edges=$(for f in $(git ls-files 'src/*.cpp' 'src/*.h' 'src/*.c' 2>/dev/null || find src -name '*.[ch]*'); do
  from=$(echo "$f" | cut -d/ -f2)
  { grep -ohE '^\s*#\s*include\s+"[a-z0-9_]+/' "$f" || true; } | sed -E 's/.*"([a-z0-9_]+)\//\1/' |
    while read -r to; do [ "$to" != "$from" ] && [ -d "src/$to" ] && echo "$from $to"; done
done | sort -u)

[ "${1:-}" = "--print" ] && printf '%s\n' "$edges"

# tsort reports a cycle on stderr and exits non-zero.
if ! out=$(printf '%s\n' "$edges" | tsort 2>&1 >/dev/null) || [ -n "$out" ]; then
  echo "Folders of src/ include each other in a cycle:" >&2
  printf '%s\n' "$out" >&2
  exit 1
fi
