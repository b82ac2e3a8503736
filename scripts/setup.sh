#!/usr/bin/env bash
# Installs the Debian packages Marvolin needs, by what they are needed for:
#     setup.sh play      to build the game and play it (scripts/play.sh)
#     setup.sh test      play's, and what the tests need (scripts/test.sh): a second compiler,
#                        the test frameworks, a virtual display and the packaging tools
#     setup.sh clicks    to click through the menu from a script (scripts/screenshots.sh, bench.sh)
#     setup.sh           the same as setup.sh test
# Several names may be given. Installs only what is missing, and does nothing when every package is
# there. Needs root, or sudo for apt-get.
set -euo pipefail

PLAY_PACKAGES=(
    cmake make g++ pkg-config                 # build tools
    libsdl2-dev                               # window, input, GL context
    libgl-dev libgl1-mesa-dri libglx-mesa0    # Mesa OpenGL (llvmpipe when there is no GPU)
    libstb-dev                                # stb_image / stb_image_write
    libopenal-dev                             # OpenAL Soft: the sound mixer (run time libopenal1)
    libfreetype-dev libfontconfig-dev         # fonts
    fonts-liberation2 fonts-dejavu-core       # "Arial" (Liberation Sans) and a fallback
)
TEST_PACKAGES=(
    clang                                     # the sanitizer build is made with clang++
    libclang-rt-14-dev                        # clang's libFuzzer runtime (scripts/fuzz.sh)
    clang-format                              # the test command checks the code's formatting
    libgtest-dev libbenchmark-dev             # GoogleTest, Google Benchmark
    libegl-dev libegl-mesa0                   # GL without a display (SDL's offscreen driver)
    xvfb xauth                                # a virtual X display for tests without a screen
    dpkg-dev desktop-file-utils appstream     # the Debian package, desktop entry and metainfo
)
CLICK_PACKAGES=(
    xdotool xvfb xauth                        # clicks into the game's window on a virtual display
)

wanted=()
[ $# -gt 0 ] || set -- test
for purpose in "$@"; do
    case "$purpose" in
        play) wanted+=("${PLAY_PACKAGES[@]}") ;;
        test) wanted+=("${PLAY_PACKAGES[@]}" "${TEST_PACKAGES[@]}") ;;
        clicks) wanted+=("${CLICK_PACKAGES[@]}") ;;
        *) echo "setup: unknown purpose \"$purpose\" (play, test or clicks)" >&2; exit 2 ;;
    esac
done

missing=()
for p in "${wanted[@]}"; do
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
if ! { "${SUDO[@]}" apt-get update -q &&
       "${SUDO[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"; }; then
    echo "setup: apt-get could not install these Debian packages: ${missing[*]}" >&2
    exit 1
fi
