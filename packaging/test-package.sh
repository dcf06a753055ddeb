#!/usr/bin/env bash
# CI step: builds the Debian package from the build folder that ./test.sh
# made, installs it on this machine and runs the installed tools.
#   packaging/test-package.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"

# What the package step needs beyond the build: dpkg-shlibdeps (dpkg-dev)
# finds the Qt libraries the package depends on; lintian checks the package,
# man-db shows the installed manual pages.
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
missing=()
for p in dpkg-dev lintian man-db; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  "${sudo[@]}" apt-get update -qq
  "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target rq30 vtq45-sim rq30ctl
rm -f "$build"/rq30_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/rq30_*.deb)
echo "Package: $deb"
dpkg-deb -c "$deb"
dpkg-deb -f "$deb" Package Version Maintainer Depends

# No errors from lintian; its warnings and notes are shown.
lintian --no-tag-display-limit "$deb" | tee "$build/lintian.txt"
if grep -q '^E:' "$build/lintian.txt"; then
  echo "lintian reports errors" >&2
  exit 1
fi

"${sudo[@]}" apt-get install -y -qq --no-install-recommends "./$deb" >/dev/null
/usr/bin/rq30ctl --help >/dev/null
/usr/bin/vtq45-sim --help >/dev/null
test -x /usr/bin/rq30
test -f /usr/share/applications/rq30.desktop
test -f /usr/share/icons/hicolor/scalable/apps/rq30.svg
# The MQTT bridge and its service template, where the build has libmosquitto.
if /usr/bin/rq30ctl bridge --help >/dev/null 2>&1; then
  test -f /usr/lib/systemd/system/rq30-bridge@.service
  grep -q '^ExecStart=/usr/bin/rq30ctl ' /usr/lib/systemd/system/rq30-bridge@.service
  echo "The bridge and its service template are installed."
fi
for page in rq30 rq30ctl vtq45-sim; do
  MANPAGER=cat man "$page" >/dev/null
done
test -f /usr/share/bash-completion/completions/rq30ctl
test -f /usr/share/doc/rq30/copyright
test -f /usr/share/doc/rq30/changelog.gz
# Every picture the installed README shows is installed beside it.
grep -o 'docs/screenshots/[a-z-]*\.png' /usr/share/doc/rq30/README.md | sort -u |
  while read -r picture; do test -f "/usr/share/doc/rq30/$picture"; done
echo "The installed rq30ctl and vtq45-sim run; the manual pages show."
