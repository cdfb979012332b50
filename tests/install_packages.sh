#!/usr/bin/env bash
# Installs the given Debian packages that are not installed yet, quietly:
# what the project's own test scripts need beyond the machine image.
#   tests/install_packages.sh PACKAGE...
set -euo pipefail
missing=()
for package in "$@"; do
  dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
