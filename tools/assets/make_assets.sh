#!/usr/bin/env bash
# Rebuilds the editor's embedded assets in source/editor/assets from the font
# in Debian's fonts-league-spartan package: first the typeface stream, then
# the background picture, whose title is lettered with that typeface.
# Run by hand when an asset has to change, then commit the two outputs.
#
#   tools/assets/make_assets.sh            (build tree: build/asset-tools)
#   CORVANE_ASSET_BUILD=/tmp/x tools/assets/make_assets.sh
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/common.sh"

assets="$CORVANE_ROOT/source/editor/assets"
build="${CORVANE_ASSET_BUILD:-$CORVANE_ROOT/build/asset-tools}"
font=/usr/share/fonts/opentype/league-spartan/LeagueSpartan-Regular.otf

# League Spartan's letters fill 0.72 of the font height at capital height
# (classic geometric faces: about 0.62) and its lowercase runs about a
# quarter wider, so at the editor's text height of 18 px "mediumStereo"
# would need 115 px in a selector that has 93. At 0.8 it takes 92.
glyph_scale=0.8

ensure_packages cmake g++ make pkg-config juce-modules-source \
    libfreetype-dev libpng-dev libjpeg-dev zlib1g-dev fonts-league-spartan

# The generators are not part of the product build; a throwaway top-level
# project pulls in JUCE and the tools' CMake fragment.
mkdir -p "$build/project"
cat > "$build/project/CMakeLists.txt" <<EOF
cmake_minimum_required(VERSION 3.22)
project(CorvaneAssetTools LANGUAGES C CXX)
set(CMAKE_CXX_STANDARD 17)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
find_package(JUCE CONFIG REQUIRED)
add_subdirectory("$here" tools)
EOF

cmake -S "$build/project" -B "$build/tree" -DCMAKE_BUILD_TYPE=Release
cmake --build "$build/tree" --parallel "$(nproc 2>/dev/null || echo 2)" \
    --target corvane_make_typeface corvane_make_background

"$build/tree/tools/corvane_make_typeface" --scale "$glyph_scale" "$font" "$assets/typeface.bin" "League Spartan"
"$build/tree/tools/corvane_make_background" "$assets/typeface.bin" "$assets/background.png"

ls -l "$assets/typeface.bin" "$assets/background.png"
