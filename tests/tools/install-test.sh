#!/bin/sh
# `cmake --install` places the plug-in where hosts look and creates the recent bank files folder, in a
# home folder of its own.
set -eu
build=$1
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
fail() { echo "install test: $*" >&2; exit 1; }

env -u XDG_CONFIG_HOME -u LXVST_PATH HOME="$home" cmake --install "$build" >/dev/null
[ -f "$home/.vst/Tarnwick.so" ] || fail "no ~/.vst/Tarnwick.so"
[ -d "$home/.config/Software/Pemberlo Audio/Tarnwick/Recent" ] || fail "no recent bank files folder"

env -u XDG_CONFIG_HOME HOME="$home" LXVST_PATH="$home/lxvst:$home/other" cmake --install "$build" >/dev/null
[ -f "$home/lxvst/Tarnwick.so" ] || fail "LXVST_PATH's first folder was not used"
[ ! -e "$home/other" ] || fail "LXVST_PATH's second folder was used"

env -u XDG_CONFIG_HOME HOME="$home" cmake --install "$build" --prefix "$home/prefix" >/dev/null
[ -f "$home/prefix/lib/vst/Tarnwick.so" ] || fail "the prefix was not used"
cmp -s "$home/prefix/lib/vst/Tarnwick.so" "$build/Tarnwick.so" || fail "the installed plug-in differs"
echo "install test: passed"
