#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running the tool set need.
# Packages already present are skipped, so a warm machine pays nothing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang-format git clang libclang-rt-14-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libxlsxwriter-dev libzip-dev libpugixml-dev zlib1g-dev
  7zip openssl coreutils python3 python3-openpyxl libreoffice-calc-nogui
  xvfb xauth fonts-dejavu-core twm xfonts-base
  desktop-file-utils dpkg-dev file lintian
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "install-deps: installing ${missing[*]}"
  if [ "$(id -u)" -ne 0 ]; then
    echo "install-deps: these packages are missing and installing them needs root: ${missing[*]}" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
