#!/usr/bin/env bash
# Installs the Debian packages the project needs, only when some are missing.
set -euo pipefail

packages=(
  build-essential cmake pkg-config git
  libsdl2-dev libpng-dev libsqlite3-dev libssl-dev libcairo2-dev libfreetype-dev fonts-liberation2
  libgtest-dev libgmock-dev libbenchmark-dev nlohmann-json3-dev
  libsystemd-dev help2man debhelper lintian fakeroot acl
  clang clang-format clang-tidy xvfb xdotool xauth imagemagick ffmpeg fonts-dejavu-core systemd prometheus
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi
