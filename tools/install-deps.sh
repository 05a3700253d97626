#!/usr/bin/env bash
# Installs what the build and the tests need, with apt-get, and only what is missing, so that a
# second run (or a machine that has everything) neither updates package lists nor downloads.
#   - MinGW-w64 i686 (win32 threads) cross-compiles the 32-bit Windows programs that ship, and
#     MinGW-w64 x86_64 (win32 threads) the 64-bit test build of the same sources;
#   - cmake, g++, make and googletest build and run the host's unit tests;
#   - wine (64-bit, and 32-bit where this machine runs 32-bit code), Xvfb and xauth run the
#     Windows programs headless for the end-to-end tests, and x11-utils (xwininfo) watches the
#     size of their desktop from outside Wine;
#   - python3 drives the end-to-end tests;
#   - clang builds the sanitizer and fuzzing runs (tools/run-sanitizers.sh, tools/run-fuzz.sh);
#   - imagemagick takes the demo's screenshot;
#   - osslsigncode and openssl sign the release's programs (and make the signing test's certificate).
set -euo pipefail

packages=(
  g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32 mingw-w64-tools
  wine wine64 xvfb xauth x11-utils
  cmake make g++ googletest libgtest-dev
  python3 clang-14 libclang-rt-14-dev
  imagemagick osslsigncode openssl
)

# Whether the kernel runs 32-bit x86 programs: some have it switched off ("32-bit emulation
# disabled"), and then every 32-bit program fails with "Exec format error". Decided before any
# 32-bit package is installed, by running one: a 93-byte static i386 program that only exits with
# status 42 (ELF header, one loadable segment, then xor ebx,ebx; mov bl,42; xor eax,eax; inc eax;
# int 0x80). It lies in the build folder, which, unlike /tmp, is never mounted without execution.
runs_32bit_code() {
  local folder probe status=0
  folder="$(cd "$(dirname "$0")/.." && pwd)/build"
  mkdir -p "$folder"
  probe=$(mktemp "$folder/probe-32bit.XXXXXX")
  printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00' >"$probe"
  printf '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00' >>"$probe"
  printf '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00' >>"$probe"
  printf '\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08' >>"$probe"
  printf '\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00' >>"$probe"
  printf '\x31\xdb\xb3\x2a\x31\xc0\x40\xcd\x80' >>"$probe"
  chmod +x "$probe"
  "$probe" 2>/dev/null || status=$?
  rm -f "$probe"
  [ "$status" -eq 42 ]
}

# The 32-bit Wine comes from the i386 architecture. Where 32-bit code cannot run it would be of no
# use, and the install scripts of its i386 packages could fail there; the end-to-end tests then
# run the x86_64 test build under the 64-bit Wine.
with_32bit=false
if runs_32bit_code; then
  with_32bit=true
  packages+=(wine32:i386)
else
  echo "install-deps: this machine does not run 32-bit code; the 32-bit Wine is left out"
fi

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
if $with_32bit && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
echo "install-deps: installing ${missing[*]}"
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
