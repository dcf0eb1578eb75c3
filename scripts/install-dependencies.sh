#!/usr/bin/env bash
# Installs, quietly with apt-get, what a fresh Debian machine lacks to build quorvel and morvane
# and to run every test: compilers and CMake, GoogleTest, CLI11, the MinGW-w64 cross compiler
# and wine for the Windows build, clang for the fuzz targets, valgrind for the leak check,
# Eigen, nlohmann-json and libpng for the report; for the packages and their tests help2man,
# dpkg-dev, fakeroot, lintian, man-db, zip, unzip and the MinGW-w64 binutils, GNU parallel
# and shellcheck for the whole-study commands, and Chromium, node and npm for the report page's
# browser test (which installs playwright-core from npm itself).
set -euo pipefail

packages=(cmake g++ make libgtest-dev libgmock-dev libcli11-dev binutils
          g++-mingw-w64-x86-64 wine wine64
          clang-14 libclang-rt-14-dev valgrind
          libeigen3-dev nlohmann-json3-dev libpng-dev
          help2man dpkg-dev fakeroot lintian man-db file zip unzip binutils-mingw-w64-x86-64
          parallel shellcheck
          chromium nodejs)
# The report page's browser test drives Chromium from node; npm is a package of its own in
# Debian but comes inside NodeSource's nodejs, which conflicts with it.
if ! command -v npm >/dev/null 2>&1; then packages+=(npm); fi
missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
if ((${#missing[@]} > 0)); then
  export DEBIAN_FRONTEND=noninteractive
  sudo_prefix=()
  if [[ $(id -u) -ne 0 ]]; then sudo_prefix=(sudo); fi
  "${sudo_prefix[@]}" apt-get update -qq
  "${sudo_prefix[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null
fi
