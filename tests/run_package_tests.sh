#!/usr/bin/env bash
# Makes the packages a user installs and runs the example from what they
# unpack: the .deb files with dpkg-deb -x, the Windows .zip with unzip and
# the .exe files under Wine; rf_compare with its answers typed ahead
# (result "2 "), rf_pairs on the same file. Installs the .deb files,
# imports the Python module with Debian's python3 and no PYTHONPATH and
# builds the C++ example consumer against the installed library, then
# removes them. Fails on any error or warning of lintian, Debian's package
# checker, checks the man pages with groff and that the packages carry the
# license. Installs what it needs from Debian's packages when missing; run
# after tests/run_windows_tests.sh, which cross-builds the .exe.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tests/install_packages.sh dpkg-dev unzip groff-base lintian wine64 g++-mingw-w64-x86-64-posix
wine=$(dpkg -L wine64 | grep -E '/wine64$' | head -n 1)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Fails unless FILE holds exactly the bytes EXPECTED.
expect_bytes() {
  local file=$1 expected=$2
  printf '%s' "$expected" >"$work/expected"
  if ! cmp -s "$file" "$work/expected"; then
    echo "the example run from the package wrote $file: $(od -c "$file")" >&2
    exit 1
  fi
}

# Runs the example with PROGRAM... in the folder of the unpacked examples;
# the result file must hold exactly the bytes EXPECTED.
run_example() {
  local folder=$1 expected=$2
  shift 2
  rm -f "$folder/out.txt"
  (cd "$folder" && printf 'two_trees.txt out.txt 2\n' | "$@" >/dev/null)
  expect_bytes "$folder/out.txt" "$expected"
}

# rf_pairs on the same example: the table of its two trees.
run_pairs_example() {
  local folder=$1 line_end=$2
  shift 2
  (cd "$folder" && "$@" two_trees.txt >"$work/table.tsv")
  expect_bytes "$work/table.tsv" "matrix	1	2$line_end""1	0	2$line_end""2	2	0$line_end"
}

echo "== .deb"
cmake -S . -B build >/dev/null
cmake --build build -j2 --target rf_compare rf_pairs rf_compare_python rf_compare_library
rm -f build/*.deb
(cd build && cpack -G DEB >/dev/null)
version=$(sed -n 's/^project(rf_compare VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
deb=build/rf-compare_${version}_amd64.deb
python_deb=build/python3-rf-compare_${version}_amd64.deb
dev_deb=build/librf-compare-dev_${version}_amd64.deb
for package in "$deb" "$python_deb" "$dev_deb"; do
  dpkg-deb --info "$package" | grep -E 'Package|Version|Depends|Maintainer'
  dpkg-deb --contents "$package" | awk '{ print $6 }'
  # Debian's own checker: any error or warning fails.
  lintian "$package" 2>/dev/null | tee "$work/lintian.txt"
  if grep -qE '^[EW]: ' "$work/lintian.txt"; then
    echo "lintian rejects $package" >&2
    exit 1
  fi
  dpkg-deb -x "$package" "$work/deb"
  grep -q 'Permission is hereby granted' "$work/deb/usr/share/doc/$(dpkg-deb -f "$package" Package)/copyright" ||
    { echo "$package carries no license" >&2; exit 1; }
done
docs="$work/deb/usr/share/doc/rf-compare"
run_example "$docs/examples" $'2 \n' "$work/deb/usr/bin/rf_compare"
run_pairs_example "$docs/examples" $'\n' "$work/deb/usr/bin/rf_pairs"
for page in rf_compare.1 rf_pairs.1; do
  warnings=$(zcat "$work/deb/usr/share/man/man1/$page.gz" | groff -man -ww -z 2>&1)
  [ -z "$warnings" ] || { echo "$page: $warnings" >&2; exit 1; }
done

echo "== the .deb files installed"
# Installed as a user installs them; removed again whatever happens.
trap 'dpkg -r librf-compare-dev python3-rf-compare rf-compare >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
dpkg -i "$deb" "$python_deb" "$dev_deb" >/dev/null
(cd "$work" && env -u PYTHONPATH /usr/bin/python3 -c '
import rf_compare
assert rf_compare.__version__ == "'"$version"'", rf_compare.__version__
print("import rf_compare", rf_compare.__version__, "from", rf_compare.__file__)
print(rf_compare.pairs(rf_compare.read_matrices("/usr/share/doc/rf-compare/examples/two_trees.txt")).tolist())')
cmake -S examples/cmake_consumer -B "$work/consumer" >/dev/null
cmake --build "$work/consumer" >/dev/null
"$work/consumer/tree_table" /usr/share/doc/rf-compare/examples/two_trees.txt
dpkg -r librf-compare-dev python3-rf-compare rf-compare >/dev/null

echo "== .zip"
cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake >/dev/null
cmake --build build-windows -j2 --target rf_compare rf_pairs
(cd build-windows && cpack -G ZIP >/dev/null)
zip=build-windows/rf_compare-${version}-win64.zip
unzip -Z1 "$zip"
unzip -q "$zip" -d "$work/zip"
folder="$work/zip/rf_compare-${version}-win64"
grep -q 'Permission is hereby granted' "$folder/LICENSE" || { echo "the .zip carries no license" >&2; exit 1; }
export WINEPREFIX="$PWD/build-windows/wineprefix" WINEDEBUG=-all
run_example "$folder/examples" $'2 \r\n' "$wine" "$folder/rf_compare.exe"
run_pairs_example "$folder/examples" $'\r\n' "$wine" "$folder/rf_pairs.exe"
echo "packages pass"
