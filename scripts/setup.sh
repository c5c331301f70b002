#!/usr/bin/env bash
# Installs the Debian packages the game, its asset generator, its tests and
# its Debian package need.
# Idempotent: when everything is present it touches nothing.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  libglfw3-dev libglew-dev libglm-dev libstb-dev libassimp-dev
  libopenal-dev libsndfile1-dev libx11-dev libxtst-dev libxrandr-dev
  libgtest-dev googletest libbenchmark-dev
  xvfb xauth
  libgl1-mesa-dri libglx-mesa0
  glslang-tools fonts-dejavu-core
  clang-14 libclang-rt-14-dev llvm-14
  xdotool x11-apps x11-xserver-utils
  dpkg-dev file desktop-file-utils appstream lintian man-db libglib2.0-bin
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -eq 0 ]; then
  exit 0
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
