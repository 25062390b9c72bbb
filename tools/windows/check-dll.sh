#!/usr/bin/env bash
# Checks what a built Tarnwick.dll shows a host: exactly the exports VSTPluginMain and main, and imports
# from Windows' own DLLs only (the C++ runtime, libgcc and winpthread are linked in).
#   tools/windows/check-dll.sh PATH/Tarnwick.dll
set -euo pipefail
dll=$1
dump=$(x86_64-w64-mingw32-objdump -p "$dll")
table=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" | tail -n +2)
exports=$(grep -oE '\] [A-Za-z_][A-Za-z0-9_]*$' <<<"$table" | cut -c3- | LC_ALL=C sort | tr '\n' ' ')
imports=$(grep -oE 'DLL Name: .*' <<<"$dump" | cut -c11- | tr 'A-Z' 'a-z' | LC_ALL=C sort | tr '\n' ' ')
system="advapi32.dll comdlg32.dll gdi32.dll kernel32.dll msvcrt.dll shell32.dll user32.dll"
status=0
if [ "$exports" != "VSTPluginMain main " ]; then
  echo "check-dll.sh: $dll exports: $exports(expected VSTPluginMain main)" >&2
  status=1
fi
for name in $imports; do
  if ! grep -qw -- "$name" <<<"$system"; then
    echo "check-dll.sh: $dll imports $name, which is not one of Windows' own DLLs" >&2
    status=1
  fi
done
[ $status -ne 0 ] || echo "$dll: exports $exports; imports $imports"
exit $status
