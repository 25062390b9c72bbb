#!/bin/sh
# `cmake --install` places the plug-in and the LV2 bundle where hosts look and creates the recent bank files
# folder, in a home folder of its own.
set -eu
build=$1
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
fail() { echo "install test: $*" >&2; exit 1; }

# The bundle's Turtle in a folder, as the build made it.
bundle_in() {
  for f in manifest.ttl Tarnwick.ttl; do
    cmp -s "$1/Tarnwick.lv2/$f" "$build/Tarnwick.lv2/$f" || return 1
  done
}

env -u XDG_CONFIG_HOME -u LXVST_PATH -u LV2_PATH HOME="$home" cmake --install "$build" >/dev/null
[ -f "$home/.vst/Tarnwick.so" ] || fail "no ~/.vst/Tarnwick.so"
[ -d "$home/.config/Software/Pemberlo Audio/Tarnwick/Recent" ] || fail "no recent bank files folder"
bundle_in "$home/.lv2" || fail "no ~/.lv2/Tarnwick.lv2"

env -u XDG_CONFIG_HOME HOME="$home" LXVST_PATH="$home/lxvst:$home/other" LV2_PATH=":~/lv2:$home/other" \
  cmake --install "$build" >/dev/null
[ -f "$home/lxvst/Tarnwick.so" ] || fail "LXVST_PATH's first folder was not used"
bundle_in "$home/lv2" || fail "LV2_PATH's first folder (~ the home folder) was not used"
[ ! -e "$home/other" ] || fail "a second folder of LXVST_PATH or LV2_PATH was used"
[ ! -e "$home/lv2/Tarnwick.so" ] && [ ! -e "$home/lxvst/Tarnwick.lv2" ] || fail "the formats' folders were mixed up"

env -u XDG_CONFIG_HOME -u LV2_PATH HOME="$home" cmake --install "$build" --prefix "$home/prefix" >/dev/null
[ -f "$home/prefix/lib/vst/Tarnwick.so" ] || fail "the prefix was not used"
cmp -s "$home/prefix/lib/vst/Tarnwick.so" "$build/Tarnwick.so" || fail "the installed plug-in differs"
bundle_in "$home/prefix/lib/lv2" || fail "the prefix was not used for the LV2 bundle"
echo "install test: passed"
