#!/usr/bin/env bash
# Renders the demo through the Windows DLL (tarnwick-host.exe under wine) and through the Linux plug-in
# with the same MIDI, recording and settings, and compares the files sample by sample.
#   tools/windows/compare-renders.sh WINDOWS-BUILD LINUX-BUILD
set -euo pipefail
cd "$(dirname "$0")/../.."
win=$(cd "$1" && pwd)
linux=$(cd "$2" && pwd)
out=$win/render-compare
rm -rf "$out"
mkdir -p "$out"
midi=$linux/resources/demo.mid
recording=$linux/resources/tarnwick-recording.wav

scenarios=(
  "plain|--format float"
  "morph-trigger-move|--format float --block 97 --tempo 133 --param morph=1 --param morphAlgorithm=2 --param trigmode=1 --param move=0.5 --param release=0.3"
  "pcm24-flood|--format pcm24 --block 1024 --param flood=1 --param mainLevl=0.4"
)
failed=0
for scenario in "${scenarios[@]}"; do
  name=${scenario%%|*}
  read -r -a options <<<"${scenario#*|}"
  common=(--midi "$midi" --sample "$recording" "${options[@]}")
  "$linux/tools/host/tarnwick-host" render "$linux/Tarnwick.so" "${common[@]}" --out "$out/$name-linux.wav" >/dev/null
  tools/windows/wine-run.sh "$win/tools/host/tarnwick-host.exe" render "$win/Tarnwick.dll" "${common[@]}" \
    --out "$out/$name-windows.wav" >/dev/null
  printf '%-20s ' "$name"
  "$linux/tools/tarnwick-wavcompare" "$out/$name-linux.wav" "$out/$name-windows.wav" || failed=1
done
exit $failed
