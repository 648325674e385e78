#!/usr/bin/env bash
# Installs the Debian packages the game, its tools and its tests need.
# Idempotent: apt is not touched when everything is already there.
# Usage: scripts/install-deps.sh [package-checks]: with package-checks, also the checkers
# of make check-package (lintian alone brings a large Perl stack, so not for every build).
set -euo pipefail

packages=(
  build-essential cmake pkg-config dpkg-dev
  libglfw3-dev libglew-dev libglm-dev libassimp-dev libfreeimage-dev
  libgtest-dev
  libopenal-dev libsndfile1-dev
  xvfb xauth xdotool imagemagick x11-utils libx11-dev
  apitrace
)
for group in "$@"; do
  case "$group" in
    package-checks) packages+=(lintian desktop-file-utils appstream) ;;
    *) echo "install-deps.sh: unknown group $group" >&2; exit 2 ;;
  esac
done
if [ "${DRIFTHOLD_EXTRA_PACKAGES:-}" != "" ]; then
  read -r -a extra <<<"$DRIFTHOLD_EXTRA_PACKAGES"
  packages+=("${extra[@]}")
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q "${missing[@]}"
