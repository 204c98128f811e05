#!/usr/bin/env bash
# Builds the Debian package of the document manager from a build folder and checks what it holds: both
# programs, the desktop entry (valid for desktop-file-validate) and its icon, and the packages it needs.
#   tests/package/check_deb.sh BUILD_DIR
# Exit 77 (skipped) when dpkg-deb or desktop-file-validate is missing.
set -euo pipefail
build=${1:?usage: check_deb.sh BUILD_DIR}
for tool in cpack dpkg-deb desktop-file-validate; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/*.deb)
contents=$(dpkg-deb -c "$deb")
fail=0
for path in ./usr/bin/VekSecurity ./usr/bin/vekbatch ./usr/share/applications/veksecurity.desktop \
  ./usr/share/icons/hicolor/scalable/apps/veksecurity.svg; do
  grep -q " $path\$" <<<"$contents" || { echo "missing from the package: $path"; fail=1; }
done
dpkg-deb -x "$deb" "$work/root"
desktop-file-validate "$work/root/usr/share/applications/veksecurity.desktop" || fail=1
grep -qx 'Name=정보보안문서 관리기' "$work/root/usr/share/applications/veksecurity.desktop" ||
  { echo "the desktop entry is not named 정보보안문서 관리기"; fail=1; }
depends=$(dpkg-deb -f "$deb" Depends)
for p in libqt6widgets6 qt6-qpa-plugins fonts-nanum qt6-translations-l10n; do
  grep -q "$p" <<<"$depends" || { echo "the package does not depend on $p: $depends"; fail=1; }
done
[ $fail = 0 ] && echo "package ok: $(basename "$deb")"
exit $fail
