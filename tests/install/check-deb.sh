#!/usr/bin/env bash
# Checks a built Debian package: its control data (name, the program's own version, architecture,
# a Depends that covers every library the program links, as dpkg-shlibdeps computed it) and its file
# list (exactly installed-files.txt, owned by root, the program stripped).   check-deb.sh DEB
set -euo pipefail
deb=$1
here=$(cd "$(dirname "$0")" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

dpkg-deb -I "$deb" >/dev/null || fail "dpkg-deb -I cannot read $deb"
field() { dpkg-deb -f "$deb" "$1"; }
dpkg-deb -x "$deb" "$scratch"
version=$("$scratch/usr/bin/pairwick" --version) && version=${version#pairwick }
arch=$(dpkg --print-architecture)

[ "$(field Package)" = pairwick ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version '$(field Version)' is not the program's '$version'"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture is '$(field Architecture)'"
[ "$(basename "$deb")" = "pairwick_${version}_$arch.deb" ] || fail "the file is named $(basename "$deb")"
for name in Maintainer Description Section Homepage Installed-Size; do
    [ -n "$(field "$name")" ] || fail "no $name field"
done

# Every library the program links must come from a package in Depends, with a lowest version.
depends=$(field Depends)
declare -A depended=()
while read -r package; do
    [ -n "$package" ] && depended[$package]=1
done < <(echo "$depends" | tr ',|' '\n\n' | sed -E 's/^ *([^ (]+).*/\1/')
for required in libqt6core6 libqt6gui6 libqt6widgets6 libc6 libstdc++6; do
    [ -n "${depended[$required]:-}" ] || fail "Depends lacks $required: $depends"
done
program=$scratch/usr/bin/pairwick
while read -r library; do
    # "libx.so.1 => /path/libx.so.1 (address)", or "/path/ld-linux.so.2 (address)" for the loader.
    path=$(ldd "$program" | awk -v lib="$library" '{name = $1; sub(".*/", "", name)}
                                                  name == lib {print ($2 == "=>" ? $3 : $1); exit}')
    [ -n "$path" ] || { fail "$library, which the program links, is not on this machine"; continue; }
    real=$(realpath "$path")
    # With /lib merged into /usr/lib, a package may have registered either spelling.
    owner=$({ dpkg -S "$path" "$real" "${real#/usr}" 2>/dev/null || true; } | head -1 | cut -d: -f1)
    [ -n "$owner" ] && [ -n "${depended[$owner]:-}" ] || fail "$library (package '$owner') is not in Depends: $depends"
done < <(readelf -d "$program" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
echo "$depends" | grep -q '(>= ' || fail "Depends names no lowest versions: $depends"

listing=$(dpkg-deb -c "$deb")
if ! diff -u "$here/installed-files.txt" <(echo "$listing" | grep -v '^d' | awk '{print $6}' | sed 's|^\./||' | LC_ALL=C sort); then
    fail "the package's files differ from installed-files.txt (- expected, + packaged)"
fi
echo "$listing" | awk '$2 != "root/root"' | grep . && fail "files not owned by root"
echo "$listing" | grep -qE '^-rwxr-xr-x .* \./usr/bin/pairwick$' || fail "usr/bin/pairwick is not mode 755"
echo "$listing" | grep -vE '^d|/usr/bin/pairwick$' | grep -vE '^-rw-r--r-- ' && fail "data files not mode 644"
file "$program" | grep -q ', stripped' || fail "the program is not stripped"

[ "$failures" -eq 0 ] || exit 1
echo "package checked: $(basename "$deb"), Depends: $depends"
