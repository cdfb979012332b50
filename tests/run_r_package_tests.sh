#!/usr/bin/env bash
# Installs the R source package into a library folder of the build and runs
# its testthat suite there, as R CMD check would, only faster; then the
# README's R examples.
#   tests/run_r_package_tests.sh TARBALL LIBRARY
set -euo pipefail
tarball=$1 library=$2
mkdir -p "$library"
R CMD INSTALL --no-multiarch --install-tests --library="$library" "$tarball" >"$library/install.log" 2>&1 ||
  { cat "$library/install.log" >&2; exit 1; }
NOT_CRAN=true Rscript -e ".libPaths(c('$library', .libPaths()))" \
        -e "testthat::test_package('rfcompare', reporter = 'summary', stop_on_failure = TRUE)"
Rscript "$(dirname "$0")/readme_examples.R" "$(dirname "$0")/../README.md" "$library"
