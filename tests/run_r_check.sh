#!/usr/bin/env bash
# Makes the R source package and runs R CMD check --as-cran --no-manual on
# it, as CRAN would but offline (the checks that need the network are off);
# fails on any ERROR or WARNING (NOTEs are shown).
# Installs R and the packages it needs from Debian's when missing.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tests/install_packages.sh r-base-dev r-cran-rcpp r-cran-ape r-cran-phangorn r-cran-testthat
cmake -S . -B build >/dev/null
cmake --build build -j2 --target r_package >/dev/null
version=$(sed -n 's/^project(rf_compare VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && _R_CHECK_CRAN_INCOMING_REMOTE_=false _R_CHECK_CRAN_INCOMING_=false \
  _R_CHECK_SYSTEM_CLOCK_=false R CMD check --as-cran --no-manual "$OLDPWD/build/r/rfcompare_${version}.tar.gz" >check.log 2>&1) ||
  { cat "$work/check.log" >&2; exit 1; }
grep -E -A6 '(WARNING|NOTE|ERROR)$' "$work/check.log" || true
status=$(grep '^Status:' "$work/check.log")
echo "R CMD check: $status"
if grep -qE 'WARNING|ERROR' <<<"$status"; then
  cat "$work/rfcompare.Rcheck/00check.log" >&2
  exit 1
fi
