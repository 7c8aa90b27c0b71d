#!/usr/bin/env bash
# Installs the Debian packages the register, its tests and benchmarks need.
# Only what is missing is installed, so a second run costs nothing.
set -euo pipefail
PKGS=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite qt6-serialport-dev qt6-qpa-plugins libgl-dev
  libsqlite3-dev libssl-dev libqrencode-dev libarchive-dev libgcab-dev
  libgtest-dev libbenchmark-dev
  zbar-tools fonts-dejavu-core
)
# The run command on a machine without a desktop also needs a virtual display and a VNC server.
if [ "${1:-}" = "run" ]; then PKGS+=(xvfb x11vnc xauth); fi
missing=()
for p in "${PKGS[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installiere Pakete: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
