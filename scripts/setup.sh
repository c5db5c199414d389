#!/usr/bin/env bash
# Installs the Debian packages the build needs (only those missing) and configures and builds
# Quarzel into the given build folder.
#   scripts/setup.sh [build-dir] [extra cmake options...]
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(build-essential cmake ninja-build pkg-config
          qt6-base-dev qt6-serialbus-dev qt6-serialport-dev libgl1-mesa-dev
          libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-dev
          xvfb xauth
          # result archive: Qt SQL drivers, and the PostgreSQL server its tests start
          libqt6sql6-sqlite libqt6sql6-psql postgresql)
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

BUILD_DIR="${1:-build}"
shift || true
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" "$@" >/dev/null
cmake --build "$BUILD_DIR" --parallel "$(nproc)"
