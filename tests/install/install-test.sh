#!/usr/bin/env bash
# Installs the build into a scratch DESTDIR with the prefix /usr and checks what lands there: exactly
# the files of installed-files.txt, a desktop entry and AppStream data the validators accept, icons
# of the sizes their folders name, and a program that answers --version and --help without a
# display.   install-test.sh BUILD_DIR VERSION
set -euo pipefail
build=$1 version=$2
here=$(cd "$(dirname "$0")" && pwd)
dest=$(mktemp -d)
trap 'rm -rf "$dest"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

DESTDIR=$dest cmake --install "$build" --prefix /usr >/dev/null
if ! diff -u "$here/installed-files.txt" <(cd "$dest" && find . ! -type d | sed 's|^\./||' | LC_ALL=C sort); then
    fail "the installed files differ from installed-files.txt (- expected, + installed)"
fi

share=$dest/usr/share
desktop=$(echo "$share"/applications/*.desktop)
metainfo=$(echo "$share"/metainfo/*.metainfo.xml)
id=$(basename "$desktop" .desktop)

out=$(desktop-file-validate "$desktop" 2>&1) && [ -z "$out" ] || fail "desktop-file-validate: $out"
out=$(appstreamcli validate --no-net "$metainfo" 2>&1) || fail "appstreamcli validate: $out"
out=$(appstreamcli validate-tree --no-net "$dest/usr" 2>&1) || fail "appstreamcli validate-tree: $out"

for line in "Name=Pairwick" "Exec=pairwick %F" "Icon=$id" "Terminal=false" "Categories=Utility;FileTools;Qt;" \
             "MimeType=inode/directory;" "Keywords=duplicate;files;clean;" "StartupWMClass=Pairwick"; do
    grep -qxF "$line" "$desktop" || fail "the desktop entry has no line $line"
done
for text in "<id>$id</id>" "<launchable type=\"desktop-id\">$id.desktop</launchable>" "<icon type=\"stock\">$id</icon>" \
            "<release version=\"$version\"" "<content_rating type=\"oars-1.1\"/>" "<project_license>MIT</project_license>"; do
    grep -qF "$text" "$metainfo" || fail "the AppStream data has no $text"
done
[ "$(basename "$metainfo")" = "$id.metainfo.xml" ] || fail "the AppStream data is not named after $id"

for size in 16 32 48 64 128 256; do
    icon=$share/icons/hicolor/${size}x${size}/apps/$id.png
    file "$icon" | grep -q "PNG image data, $size x $size," || fail "$icon is not a $size x $size PNG"
done
grep -q '<svg' "$share/icons/hicolor/scalable/apps/$id.svg" || fail "the scalable icon is no SVG"

# No display, and Qt told to use X: the answers must come before any window system is reached.
program=$dest/usr/bin/pairwick
run() { env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$program" "$@" 2>&1; }
out=$(run --version) && [ "$out" = "pairwick $version" ] || fail "--version printed '$out'"
out=$(run /tmp --help) && [[ $out == "Usage: pairwick [FOLDER]..."* ]] || fail "--help printed '$out'"
status=0
out=$(QT_QPA_PLATFORM=offscreen "$program" --bogus 2>&1) || status=$?
[ "$status" -eq 2 ] && [[ $out == *"pairwick: unknown option '--bogus'"* ]] || fail "--bogus: exit $status, '$out'"

[ "$failures" -eq 0 ] || exit 1
echo "installed tree checked: $(wc -l <"$here/installed-files.txt") files"
