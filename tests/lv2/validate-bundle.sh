#!/bin/sh
# lv2_validate on the bundle's two Turtle files, against the LV2 schemas installed with lv2-dev. Passes only
# when it exits 0 and prints nothing but its zero-error summary; Debian's lv2_validate also names one file of
# its own list that the package does not ship ("Skipping file /usr/lib/lv2/..."), which is not ours.
set -eu
validate=$1
bundle=$2
for f in manifest.ttl Tarnwick.ttl; do
  [ -f "$bundle/$f" ] || { echo "validate-bundle: no $bundle/$f" >&2; exit 1; }
done
status=0
out=$("$validate" "$bundle/manifest.ttl" "$bundle/Tarnwick.ttl" 2>&1) || status=$?
printf '%s\n' "$out"
[ "$status" = 0 ] || { echo "validate-bundle: lv2_validate exited with $status" >&2; exit 1; }
summary='^Found 0 errors among [0-9]+ files \(checked [0-9]+ restrictions\)$'
printf '%s\n' "$out" | grep -Eq "$summary" || { echo "validate-bundle: no zero-error summary" >&2; exit 1; }
others=$(printf '%s\n' "$out" | grep -Ev "$summary" | grep -Ev '^Skipping file /usr/lib/lv2/' || true)
[ -z "$others" ] || { echo "validate-bundle: lv2_validate reported more than its summary" >&2; exit 1; }
echo "validate-bundle: passed"
