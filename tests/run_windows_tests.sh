#!/usr/bin/env bash
# Cross-builds build-windows/rf_compare.exe and rf_pairs.exe with MinGW-w64
# and runs the end-to-end scenario tables of both and the terminal test
# against them under Wine.
# Installs the cross compiler and Wine from Debian's packages when missing.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tests/install_packages.sh g++-mingw-w64-x86-64-posix wine64
wine=$(dpkg -L wine64 | grep -E '/wine64$' | head -n 1) # not on PATH: it lives in Wine's own folder

cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake >/dev/null
cmake --build build-windows -j2
cmake -S . -B build >/dev/null
cmake --build build -j2 --target driver_tests pairs_tests

export WINEPREFIX="$PWD/build-windows/wineprefix" WINEDEBUG=-all
export RF_COMPARE_LAUNCHER="$wine" RF_COMPARE_EXE="$PWD/build-windows/rf_compare.exe"
export RF_PAIRS_EXE="$PWD/build-windows/rf_pairs.exe"
# A hang under Wine fails the run instead of stalling it.
timeout 600 build/tests/driver_tests --gtest_filter='EndToEnd.*:ConsoleTerminal.*'
timeout 600 build/tests/pairs_tests --gtest_filter='PairsEndToEnd.*'
