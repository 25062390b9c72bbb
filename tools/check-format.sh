#!/usr/bin/env bash
# Fails when a C or C++ file of the tree differs from what clang-format 14 makes of it (.clang-format).
#   tools/check-format.sh          check, list the files that need formatting
#   tools/check-format.sh --fix    format them in place
set -euo pipefail
cd "$(dirname "$0")/.."
formatter=$(command -v clang-format-14 || true)
if [ -z "$formatter" ]; then
  echo "clang-format-14 is missing (Debian package clang-format-14)" >&2
  exit 1
fi
mapfile -t files < <(git ls-files '*.cpp' '*.h' '*.c' '*.inc')
if [ "${1:-}" = "--fix" ]; then
  "$formatter" -i "${files[@]}"
  exit 0
fi
# Batches of files on every core; clang-format names each file that it would change.
report=$(mktemp)
trap 'rm -f "$report"' EXIT
status=0
printf '%s\0' "${files[@]}" | xargs -0 -n 64 -P "$(nproc)" "$formatter" --dry-run --Werror 2>"$report" || status=$?
mapfile -t unformatted < <(sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: error: code should be clang-formatted.*/\1/p' "$report" |
  sort -u)
if [ "$status" != 0 ] && [ ${#unformatted[@]} -eq 0 ]; then
  cat "$report" >&2
  echo "clang-format failed (exit $status)" >&2
  exit 1
fi
if [ ${#unformatted[@]} -gt 0 ]; then
  echo "not formatted (run tools/check-format.sh --fix):" >&2
  printf '  %s\n' "${unformatted[@]}" >&2
  exit 1
fi
echo "format: ${#files[@]} files clean"
