#!/usr/bin/env bash
# Installs the Debian packages the project needs, when they are missing.
# As root it runs apt-get; otherwise it prints the one line to run.
set -euo pipefail

PACKAGES=(build-essential cmake ninja-build ccache pkg-config
          qt6-base-dev libqt6opengl6-dev qt6-charts-dev
          libgtest-dev libgmock-dev libmodbus-dev
          dpkg-dev file help2man desktop-file-utils appstream lintian gcovr
          clang-format socat
          poppler-utils)

missing=()
for p in "${PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
    echo "setup: installing ${missing[*]}" >&2
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
else
    echo "setup: missing packages. Run:" >&2
    echo "sudo apt-get install -y ${missing[*]}" >&2
    exit 1
fi
