#!/usr/bin/env bash
# Installs what building and testing need on a Debian machine, or says what to install.
# Sourced by ./run and ./test; configures the build folder.
set -euo pipefail

VEK_PACKAGES=(qt6-base-dev qt6-base-dev-tools libgl-dev libicu-dev libgtest-dev libgmock-dev googletest libbenchmark-dev
  cmake ninja-build g++ fonts-nanum fonts-dejavu-core xvfb xauth xdotool x11-apps netpbm
  ibus ibus-hangul dbus-x11
  at-spi2-core python3-pyatspi gir1.2-atspi-2.0
  qt6-translations-l10n
  clang clang-format poppler-utils dpkg-dev desktop-file-utils)
# at-spi2-core, python3-pyatspi, gir1.2-atspi-2.0: the accessibility bus and the client of the end-to-end
# accessibility tests (the grid as a screen reader reads it).
# qt6-translations-l10n: Qt's own Korean texts (buttons, file dialogs). clang, clang-format, poppler-utils,
# dpkg-dev and desktop-file-utils: ./test's clang build, format check, report reading and package check.
# Reading documents for the preview and re-check: QuaZip (docx, xlsx, pptx, hwpx), libgsf (HWP 5.0), Poppler
# (PDF), zlib, pkgconf to find them; catdoc (.doc, .xls, .ppt when installed); qpdf makes the tests' locked PDF.
VEK_PACKAGES+=(libquazip1-qt6-dev libgsf-1-dev libpoppler-qt6-dev zlib1g-dev pkgconf catdoc qpdf)
# The 완전삭제 tests make ext4 and btrfs images and mount them on loop devices (as root; skipped otherwise):
# e2fsprogs (mkfs.ext4), btrfs-progs (mkfs.btrfs), util-linux (losetup, mount).
VEK_PACKAGES+=(e2fsprogs btrfs-progs util-linux)
# doxygen: the grid's reference, built and checked for warnings by ./test.
VEK_PACKAGES+=(doxygen)

# For the sanitizer build and the fuzz targets only (./test --sanitize, fuzz/run): clang and its runtime
# libraries (AddressSanitizer, UndefinedBehaviorSanitizer, libFuzzer).
VEK_CLANG_PACKAGES=(clang libclang-rt-dev)

vek_missing_packages() {
  local missing=() p
  for p in "${@:-${VEK_PACKAGES[@]}}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  echo "${missing[@]:-}"
}

# vek_install [PACKAGE...]: the packages given, or those the build and tests need.
vek_install() {
  local missing
  missing=$(vek_missing_packages "$@")
  [ -z "$missing" ] && return 0
  if [ "$(id -u)" = 0 ]; then
    echo "Installing: $missing" >&2
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq >&2
    # shellcheck disable=SC2086
    apt-get install -y -qq --no-install-recommends $missing >&2
  else
    echo "Missing packages. Run as root:" >&2
    echo "  apt-get install -y $missing" >&2
    exit 1
  fi
}

# vek_configure BUILD [CMAKE ARGS...]: configures BUILD on first use (RelWithDebInfo unless the arguments
# choose a type); arguments given set their values again on every call, so a folder configured before
# still gets them.
vek_configure() {
  local build=$1
  shift
  local gen=()
  command -v ninja >/dev/null && gen=(-G Ninja)
  if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$VEK_ROOT" -B "$build" "${gen[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >&2
  elif [ $# -gt 0 ]; then
    cmake -S "$VEK_ROOT" -B "$build" "$@" >/dev/null
  fi
}

# Whether clang can build and link sanitized programs and libFuzzer targets here.
vek_have_clang_fuzzer() {
  command -v clang++ >/dev/null || return 1
  local dir
  dir=$(mktemp -d)
  printf '#include <cstddef>\n#include <cstdint>\nextern "C" int LLVMFuzzerTestOneInput(const std::uint8_t*, std::size_t) { return 0; }\n' \
    >"$dir/probe.cpp"
  local rc=0
  clang++ -fsanitize=fuzzer,address,undefined "$dir/probe.cpp" -o "$dir/probe" >/dev/null 2>&1 || rc=1
  rm -rf "$dir"
  return $rc
}

VEK_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
VEK_BUILD=${VEK_BUILD:-$VEK_ROOT/build}
