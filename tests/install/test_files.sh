#!/usr/bin/env bash
# Installs the already built tree into a temporary prefix and packages it with cpack, then checks
# what a desktop needs: the executable, a valid menu entry that starts it by its installed path
# (Utility category, our icon), the scalable icon, valid AppStream metainfo that launches that
# entry; and that the .deb holds the same files under /usr with the runtime dependencies.
#   test_files.sh BUILD_DIR
set -uo pipefail

build=${1:?usage: $0 BUILD_DIR}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# A prefix with a blank in it: the menu entry must quote the path.
prefix="$work/my prefix"
cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 ||
    fail "cmake --install failed: $(cat "$work/install.log")"

expected_files=(
    bin/orris-hollows
    share/applications/orris-hollows.desktop
    share/icons/hicolor/scalable/apps/orris-hollows.svg
    share/metainfo/app.orris_hollows.OrrisHollows.metainfo.xml
)
installed=$(cd "$prefix" && find . -type f | sed 's|^\./||' | sort)
[ "$installed" = "$(printf '%s\n' "${expected_files[@]}" | sort)" ] ||
    fail "installed files differ from the expected ones:"$'\n'"$installed"
[ -x "$prefix/bin/orris-hollows" ] || fail "the installed executable is not executable"

entry="$prefix/share/applications/orris-hollows.desktop"
desktop-file-validate "$entry" || fail "desktop-file-validate rejects the menu entry"
grep -qx 'Categories=Utility;' "$entry" || fail "the menu entry's categories are not Utility: $(grep Categories "$entry")"
grep -qx 'Icon=orris-hollows' "$entry" || fail "the menu entry does not name the icon"
grep -qxF "Exec=\"$prefix/bin/orris-hollows\"" "$entry" ||
    fail "the menu entry does not start the installed executable: $(grep '^Exec' "$entry")"

icon="$prefix/share/icons/hicolor/scalable/apps/orris-hollows.svg"
python3 -c 'import sys, xml.etree.ElementTree as e; r = e.parse(sys.argv[1]).getroot(); sys.exit(r.tag != "{http://www.w3.org/2000/svg}svg")' \
    "$icon" || fail "the icon is not an SVG document"

metainfo="$prefix/share/metainfo/app.orris_hollows.OrrisHollows.metainfo.xml"
if command -v appstreamcli >/dev/null 2>&1; then
    appstreamcli validate --no-net --strict "$metainfo" || fail "appstreamcli rejects the metainfo"
else
    echo "note: appstreamcli is not installed; the metainfo is not validated"
fi
grep -q '<launchable type="desktop-id">orris-hollows.desktop</launchable>' "$metainfo" ||
    fail "the metainfo does not launch the menu entry"

# The package: the same files under /usr, and the entry starts /usr/bin/orris-hollows.
(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/package") >"$work/cpack.log" 2>&1 ||
    fail "cpack failed: $(cat "$work/cpack.log")"
deb=$(find "$work/package" -maxdepth 1 -name 'orris-hollows_*.deb' | head -n 1)
[ -n "$deb" ] || fail "cpack made no orris-hollows .deb: $(ls "$work/package")"
packaged=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $NF}' | sed 's|^\./usr/||' | sort)
[ "$packaged" = "$installed" ] || fail "the package holds other files than the install:"$'\n'"$packaged"

depends=$(dpkg-deb -f "$deb" Depends)
for package in libqt6core6 libqt6gui6 libqt6widgets6 libqt6concurrent6 libxcb1 libxcb-keysyms1 libxcb-shape0; do
    [[ ", $depends," == *", $package "* || ", $depends," == *", $package,"* ]] ||
        fail "the package does not depend on $package: $depends"
done
[[ "$(dpkg-deb -f "$deb" Recommends)" == *libcanberra0* ]] || fail "the package does not recommend libcanberra0"

mkdir "$work/unpacked"
dpkg-deb -x "$deb" "$work/unpacked"
grep -qx 'Exec=/usr/bin/orris-hollows' "$work/unpacked/usr/share/applications/orris-hollows.desktop" ||
    fail "the packaged entry does not start /usr/bin/orris-hollows: $(grep '^Exec' "$work/unpacked/usr/share/applications/orris-hollows.desktop")"
desktop-file-validate "$work/unpacked/usr/share/applications/orris-hollows.desktop" ||
    fail "desktop-file-validate rejects the packaged menu entry"

echo "PASS"
