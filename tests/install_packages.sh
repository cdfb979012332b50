#!/usr/bin/env bash
# Installs the given Debian packages that are not installed yet, quietly;
# without arguments, what the build and its tests need beyond the machine
# image: the Python module's pybind11 and NumPy and what its tests (mypy too) and
# example import; R, Rcpp, ape (also the oracle of neighbor joining's tests), phangorn (an oracle) and testthat for the R
# package. As root, or through sudo.
#   tests/install_packages.sh [PACKAGE...]
set -euo pipefail
packages=("$@")
if [ ${#packages[@]} -eq 0 ]; then
  packages=(pybind11-dev python3-dev python3-numpy python3-pytest python3-dendropy python3-matplotlib mypy
            r-base-dev r-cran-rcpp r-cran-ape r-cran-phangorn r-cran-testthat)
fi
missing=()
for package in "${packages[@]}"; do
  dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  as_root=()
  [ "$(id -u)" -eq 0 ] || as_root=(sudo)
  echo "installing Debian packages: ${missing[*]}" >&2
  "${as_root[@]}" apt-get update -qq
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
