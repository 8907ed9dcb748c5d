#!/bin/sh
# Builds the libFuzzer targets (expression engine, metafile player, rich text,
# template reader, prepared-report reader) into $1 (default build-fuzz). Needs
# clang and libclang-rt-dev; not part of the normal build.
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
# The function libraries that the globals register come uninstrumented from
# a normal build in $2 (default build), with the layers they stand on.
libdir=${2:-$root/build}
functions="$libdir/report/expr/libqp_expr.a $libdir/platform/libzelvan_platform.a $libdir/data/libzelvan_data.a \
  $libdir/report/core/libqp_core.a $(pkg-config --libs Qt6Widgets Qt6Sql sqlite3)"
for t in fuzz_parser fuzz_script; do
  $CXX $flags "$root/tests/fuzz/$t.cpp" $objs $functions $libs -o "$out/$t"
done
# The metafile player stands on Qt's image classes alone.
$CXX $flags $(pkg-config --cflags Qt6Gui) "$root/tests/fuzz/fuzz_metafile.cpp" \
  "$root/platform/graphics/metafile.cpp" $(pkg-config --libs Qt6Gui) -o "$out/fuzz_metafile"
# The rich-text document: the RTF reader and writer and the format-range call.
$CXX $flags $(pkg-config --cflags Qt6Gui) -I"$root/platform/canvas" -I"$root/platform/richedit" \
  "$root/tests/fuzz/fuzz_rtf.cpp" "$root"/platform/richedit/*.cpp "$root/platform/canvas/canvas.cpp" \
  $(pkg-config --libs Qt6Gui) -o "$out/fuzz_rtf"
# Template reading: the document model and the printer object instrumented,
# the layers under them taken from the normal build.
model_objs=""
for src in "$root"/report/model/*.cpp "$root/report/output/printer.cpp"; do
  obj="$out/model_$(basename "$src" .cpp).o"
  if [ ! -f "$obj" ] || [ "$src" -nt "$obj" ] || [ "$root/report/model/report.h" -nt "$obj" ]; then
    $CXX $flags -fsanitize=fuzzer-no-link $(pkg-config --cflags Qt6Widgets) -I"$root/platform/canvas" \
      -I"$root/platform/richedit" -I"$root/platform/graphics" -I"$root/platform/printing" -c "$src" -o "$obj"
  fi
  model_objs="$model_objs $obj"
done
/usr/lib/qt6/libexec/moc "$root/report/model/report.h" -o "$out/moc_report.cpp"
$CXX $flags $(pkg-config --cflags Qt6Widgets) -I"$root/platform/canvas" -c "$out/moc_report.cpp" -o "$out/moc_report.o"
$CXX $flags $(pkg-config --cflags Qt6Widgets) -I"$root/platform/printing" -I"$root/platform/canvas" "$root/tests/fuzz/fuzz_template.cpp" \
  $model_objs "$out/moc_report.o" $(find "$libdir/report/core" -name 'qrc_*.o') -Wl,--start-group \
  "$libdir/report/expr/libqp_expr.a" "$libdir/data/libzelvan_data.a" "$libdir/report/core/libqp_core.a" \
  "$libdir/platform/richedit/libzelvan_richedit.a" "$libdir/platform/graphics/libzelvan_graphics.a" \
  "$libdir/platform/canvas/libzelvan_canvas.a" "$libdir/platform/printing/libzelvan_printing.a" \
  "$libdir/platform/libzelvan_platform.a" -Wl,--end-group \
  $(pkg-config --libs Qt6Widgets Qt6Sql Qt6PrintSupport sqlite3) -o "$out/fuzz_template"
# Prepared-report reading: the prepared pages instrumented, with the model
# objects above; the rest of the engine, which the report class refers to,
# comes from the normal build.
obj="$out/engine_prepared_pages.o"
if [ ! -f "$obj" ] || [ "$root/report/engine/prepared_pages.cpp" -nt "$obj" ] || \
   [ "$root/report/engine/prepared_pages.h" -nt "$obj" ] || [ "$root/report/model/report.h" -nt "$obj" ]; then
  $CXX $flags -fsanitize=fuzzer-no-link $(pkg-config --cflags Qt6Widgets) -I"$root/platform/canvas" \
    -I"$root/platform/richedit" -I"$root/platform/graphics" -I"$root/platform/printing" \
    -c "$root/report/engine/prepared_pages.cpp" -o "$obj"
fi
$CXX $flags $(pkg-config --cflags Qt6Widgets) -I"$root/platform/printing" -I"$root/platform/canvas" "$root/tests/fuzz/fuzz_prepared.cpp" \
  "$obj" $model_objs "$out/moc_report.o" $(find "$libdir/report/core" -name 'qrc_*.o') -Wl,--start-group \
  "$libdir/report/engine/libqp_engine.a" "$libdir/report/expr/libqp_expr.a" "$libdir/data/libzelvan_data.a" \
  "$libdir/report/core/libqp_core.a" "$libdir/platform/richedit/libzelvan_richedit.a" \
  "$libdir/platform/graphics/libzelvan_graphics.a" "$libdir/platform/canvas/libzelvan_canvas.a" \
  "$libdir/platform/printing/libzelvan_printing.a" "$libdir/platform/libzelvan_platform.a" -Wl,--end-group \
  $(pkg-config --libs Qt6Widgets Qt6Sql Qt6PrintSupport sqlite3) -o "$out/fuzz_prepared"
echo "fuzz targets in $out"
