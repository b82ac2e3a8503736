#!/usr/bin/env bash
# The Debian package: built by cpack from the build folder, holding the installed layout, and
# depending on every package whose libraries the game links or opens (checked against this
# machine's dpkg database), with its desktop entry and AppStream metadata valid.
#     debian_package.sh BUILD_FOLDER
set -euo pipefail
build="$1"
APP_ID=org.marvolin.Marvolin

fail() { echo "debian_package: $*" >&2; exit 1; }
for tool in cpack dpkg-deb dpkg-shlibdeps readelf desktop-file-validate appstreamcli; do
    command -v "$tool" >/dev/null || fail "$tool is missing (scripts/setup.sh test installs it)"
done

scratch="$(mktemp -d "${TMPDIR:-/tmp}/marvolin-deb-XXXXXX")"
trap 'rm -rf "$scratch"' EXIT
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch" >"$scratch/cpack.log" 2>&1 ||
    fail "cpack failed: $(cat "$scratch/cpack.log")"
debs=("$scratch"/marvolin_*.deb)
deb="${debs[0]}"
[ -f "$deb" ] || fail "cpack made no marvolin_*.deb: $(cat "$scratch/cpack.log")"

contents="$(dpkg-deb -c "$deb" | awk '{print $6}')"
expected=(./usr/bin/marvolin ./usr/share/applications/$APP_ID.desktop
          ./usr/share/metainfo/$APP_ID.metainfo.xml ./usr/share/man/man6/marvolin.6
          ./usr/share/marvolin/data/meshes/player.mdl ./usr/share/marvolin/data/maps/map1.map
          ./usr/share/marvolin/data/maps/map11.map)
for size in 16 32 48 64 128 256; do
    expected+=("./usr/share/icons/hicolor/${size}x${size}/apps/marvolin.png")
done
for file in "${expected[@]}"; do
    grep -qxF "$file" <<<"$contents" || fail "the package lacks $file"
done

# The packages the .deb depends on, one name a line (alternatives and versions dropped).
depends="$(dpkg-deb -f "$deb" Depends | tr ',|' '\n\n' | sed 's/(.*)//; s/[[:space:]]//g' |
           grep -v '^$')"
echo "debian_package: $(basename "$deb") depends on: $(dpkg-deb -f "$deb" Depends)"
package_of() { # the package that holds a library file, by any of the names it is known by
    local file="$1" path
    for path in "$file" "$(readlink -f "$file")" "/usr$file" "${file#/usr}"; do
        dpkg-query -S "$path" 2>/dev/null | head -1 | cut -d: -f1 && return 0
    done
    return 1
}
root="$scratch/root"
dpkg-deb -x "$deb" "$root"
game="$root/usr/bin/marvolin"
# What the game links (its NEEDED entries, found where ldd finds them), and libGL, which SDL opens
# at run time.
libraries=()
linked="$(ldd "$game")"
for needed in $(readelf -d "$game" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
    path="$(awk -v name="$needed" '$1 == name && $3 ~ /^\// { print $3 }' <<<"$linked")"
    [ -n "$path" ] || fail "the game links $needed, which ldd does not find"
    libraries+=("$path")
done
libgl="$(ldconfig -p | awk '$1 == "libGL.so.1" { print $NF; exit }')"
[ -n "$libgl" ] || fail "libGL.so.1 is not on this machine"
for library in "${libraries[@]}" "$libgl"; do
    package="$(package_of "$library")" || fail "no package holds $library"
    grep -qxF "$package" <<<"$depends" || fail "$library comes from $package, not a dependency"
done
# Every dependency names a real package: one of its alternatives is installed here.
IFS=',' read -ra groups <<<"$(dpkg-deb -f "$deb" Depends)"
for group in "${groups[@]}"; do
    found=
    IFS='|' read -ra alternatives <<<"$group"
    for alternative in "${alternatives[@]}"; do
        name="$(sed 's/(.*)//; s/[[:space:]]//g' <<<"$alternative")"
        dpkg-query -W -f='${Status}' "$name" 2>/dev/null | grep -q 'install ok installed' && found=1
    done
    [ -n "$found" ] || fail "no package of the dependency \"$group\" is installed on this machine"
done

desktop-file-validate "$root/usr/share/applications/$APP_ID.desktop" ||
    fail "the desktop entry is not valid"
appstreamcli validate --no-net "$root/usr/share/metainfo/$APP_ID.metainfo.xml" >"$scratch/as.log" ||
    fail "the AppStream metadata is not valid: $(cat "$scratch/as.log")"
echo "debian_package: $(basename "$deb") holds the installed layout; its dependencies cover the game's libraries"
