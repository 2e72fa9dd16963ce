#!/usr/bin/env bash
# The help viewer opens the first topic of a keyword: a second one would never be seen.
set -euo pipefail
help="$(dirname "$0")/../../data/varneth.hlp"
twice=$(grep '^@topic ' "$help" | awk '{print $2}' | sort | uniq -d)
[[ -z $twice ]] || { echo "FAIL: help topics written twice: $twice" >&2; exit 1; }
