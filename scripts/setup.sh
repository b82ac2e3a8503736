#!/usr/bin/env bash
# Installs the Debian packages Marvolin needs to build, run and test. Does nothing when every one
# of them is already installed. Needs root, or sudo for apt-get.
set -euo pipefail

PACKAGES=(
    cmake make g++ clang pkg-config          # build tools (g++ and clang++ both build the project)
    clang-format                              # the test command checks the code's formatting
    libsdl2-dev                               # window, input, GL context
    libgl-dev libegl-dev libgl1-mesa-dri      # Mesa OpenGL (llvmpipe when there is no GPU)
    libglx-mesa0 libegl-mesa0
    libstb-dev                                # stb_image / stb_image_write
    libfreetype-dev libfontconfig-dev         # fonts
    fonts-liberation2 fonts-dejavu-core       # "Arial" (Liberation Sans) and a fallback
    libgtest-dev libbenchmark-dev             # GoogleTest, Google Benchmark
    xvfb xauth                                # a virtual X display for tests without a screen
    xdotool                                   # real key presses for the window tests under Xvfb
)

missing=()
for p in "${PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "setup: installing ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
    SUDO=()
elif command -v sudo >/dev/null 2>&1; then
    SUDO=(sudo)
else
    echo "setup: these Debian packages are missing and neither root nor sudo is available:" >&2
    echo "  ${missing[*]}" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${SUDO[@]}" apt-get update -q
"${SUDO[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
