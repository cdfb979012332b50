#!/usr/bin/env bash
# Cross-builds build-windows/rf_compare.exe with MinGW-w64 and runs the
# end-to-end scenario table and the terminal test against it under Wine.
# Installs the cross compiler and Wine from Debian's packages when missing.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=()
command -v x86_64-w64-mingw32-g++-posix >/dev/null || packages+=(g++-mingw-w64-x86-64-posix)
dpkg -s wine64 >/dev/null 2>&1 || packages+=(wine64)
if [ ${#packages[@]} -gt 0 ]; then
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${packages[@]}" >/dev/null
fi
wine=$(dpkg -L wine64 | grep -E '/wine64$' | head -n 1) # not on PATH: it lives in Wine's own folder

cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake >/dev/null
cmake --build build-windows -j2
cmake -S . -B build >/dev/null
cmake --build build -j2 --target driver_tests

export WINEPREFIX="$PWD/build-windows/wineprefix" WINEDEBUG=-all
export RF_COMPARE_LAUNCHER="$wine" RF_COMPARE_EXE="$PWD/build-windows/rf_compare.exe"
build/tests/driver_tests --gtest_filter='EndToEnd.*:ConsoleTerminal.*'
