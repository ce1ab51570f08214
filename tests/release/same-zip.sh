#!/bin/sh
# Builds the portable zip a second time, from the same sources in another
# build folder, and compares it byte for byte with the first:
#   same-zip.sh SOURCE_DIR SECOND_BUILD_DIR FIRST_ZIP
set -eu
source=$1 second=$2 first=$3
cmake -S "$source" -B "$second" -G Ninja --toolchain "$source/cmake/mingw-w64.cmake" \
      -DCMAKE_BUILD_TYPE=Release >"$second.log" 2>&1 || { cat "$second.log"; exit 1; }
cmake --build "$second" --target release_zip >>"$second.log" 2>&1 || { cat "$second.log"; exit 1; }
again="$second/release/$(basename "$first")"
if cmp "$first" "$again"; then
  echo "The same sources give the same zip: $(basename "$first")"
else
  python3 -m zipfile -l "$first"; python3 -m zipfile -l "$again"
  exit 1
fi
