#!/usr/bin/env bash
# Installs the Debian packages the build needs; quiet and quick when all are there.
#   tools/install-deps.sh         build and test
#   tools/install-deps.sh --run   also what ./run.sh needs without a display
set -euo pipefail
packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev
  qt6-base-dev qt6-base-dev-tools qt6-translations-l10n
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth fonts-dejavu-core
  libqcustomplot-dev
  mosquitto mosquitto-clients libmosquitto-dev libcli11-dev nlohmann-json3-dev openssl
)
[ "${1:-}" = "--run" ] && packages+=(xdotool imagemagick)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
