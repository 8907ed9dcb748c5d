#!/bin/sh
# Builds the libFuzzer targets (expression engine, metafile player, rich text)
# into $1 (default build-fuzz). Needs clang and libclang-rt-dev; not part of the normal build.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
out=${1:-$root/build-fuzz}
mkdir -p "$out"
CXX=${CXX:-clang++}
flags="-std=c++20 -g -O1 -fPIC -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined -I$root $(pkg-config --cflags Qt6Core)"
libs="$(pkg-config --libs Qt6Core)"
# The parser and the script compiler with what they stand on; no data sets.
engine="$root/data/format_settings.cpp $(ls "$root"/report/core/*.cpp)"
for f in expr_globals function_splitter interpreter parser variables; do
  engine="$engine $root/report/expr/$f.cpp"
done
# The engine is compiled once into objects shared by both targets.
objs=""
for src in $engine; do
  obj="$out/$(basename "$src" .cpp).o"
  if [ ! -f "$obj" ] || [ "$src" -nt "$obj" ]; then
    $CXX $flags -fsanitize=fuzzer-no-link -c "$src" -o "$obj"
  fi
  objs="$objs $obj"
done
for t in fuzz_parser fuzz_script; do
  $CXX $flags "$root/tests/fuzz/$t.cpp" $objs $libs -o "$out/$t"
done
# The metafile player stands on Qt's image classes alone.
$CXX $flags $(pkg-config --cflags Qt6Gui) "$root/tests/fuzz/fuzz_metafile.cpp" \
  "$root/platform/graphics/metafile.cpp" $(pkg-config --libs Qt6Gui) -o "$out/fuzz_metafile"
# The rich-text document: the RTF reader and writer and the format-range call.
$CXX $flags $(pkg-config --cflags Qt6Gui) -I"$root/platform/canvas" -I"$root/platform/richedit" \
  "$root/tests/fuzz/fuzz_rtf.cpp" "$root"/platform/richedit/*.cpp "$root/platform/canvas/canvas.cpp" \
  $(pkg-config --libs Qt6Gui) -o "$out/fuzz_rtf"
echo "fuzz targets in $out"
