#!/usr/bin/env bash
# Installs what the build and the tests need, with apt-get, and only what is missing, so that a
# second run (or a machine that has everything) neither updates package lists nor downloads.
#   - MinGW-w64 i686 (win32 threads) cross-compiles the 32-bit Windows programs;
#   - cmake, g++, make and googletest build and run the host's unit tests;
#   - wine (32-bit), Xvfb and xauth run the Windows programs headless for the end-to-end tests;
#   - python3 drives the end-to-end tests;
#   - clang builds the sanitizer and fuzzing runs (tools/run-sanitizers.sh, tools/run-fuzz.sh);
#   - imagemagick takes the demo's screenshot;
#   - osslsigncode and openssl sign the release's programs (and make the signing test's certificate).
set -euo pipefail

packages=(
  g++-mingw-w64-i686-win32 mingw-w64-tools
  wine wine32:i386 wine64 xvfb xauth
  cmake make g++ googletest libgtest-dev
  python3 clang-14 libclang-rt-14-dev
  imagemagick osslsigncode openssl
)

installed() {
  [ "$(dpkg-query -W -f='${db:Status-Abbrev}' "$1" 2>/dev/null)" = "ii " ]
}

missing=()
for package in "${packages[@]}"; do
  installed "$package" || missing+=("$package")
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: everything is installed"
  exit 0
fi

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
# The 32-bit Wine comes from the i386 architecture.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
echo "install-deps: installing ${missing[*]}"
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
