#!/bin/sh
# Builds the content generator and has it write the generated textures, meshes, sounds and
# videos into data/. Needs the build's packages (scripts/install-deps); the build itself
# only packs what is committed under data/.
set -e
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
g++ -std=c++20 -O2 -Wall -Wextra -Wno-unused-function "$root/tools/content/make_content.cpp" \
    -o "$work/make_content" \
    $(pkg-config --cflags --libs libavformat libavcodec libavutil) -lstb
"$work/make_content" "$root/data"
