#!/bin/sh
# Builds the Debian package and checks it from outside, as dpkg sees it: its version, the same files as the
# installation in TREE and no more privilege than they have there (no setuid or setgid bit, no maintainer script that
# could grant a capability), a dependency on the package of every library that its programs link, a changelog of its
# version. It leaves the package unpacked in OUT-DIR/root.
# deb.sh BUILD-DIR OUT-DIR TREE VERSION
set -eu
build=$1
out=$2
tree=$3
version=$4
rm -rf "$out"
mkdir -p "$out"
if ! cpack --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1; then
    cat "$out/cpack.log"
    echo "FAIL: cpack"
    exit 1
fi
deb="$out/tessraprog_${version}_$(dpkg --print-architecture).deb"
fail() {
    echo "FAIL: $*"
    exit 1
}
[ -f "$deb" ] || fail "no $deb; cpack made: $(ls "$out")"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "version $(dpkg-deb -f "$deb" Version), not $version"

dpkg-deb -c "$deb" >"$out/contents"
awk '$1 !~ /^d/ { sub(/^\.\//, "", $6); print $6 }' "$out/contents" | sort >"$out/files"
diff -u "$tree.installed" "$out/files" || fail "the package's files (+) are not the installed ones (-)"
if awk '$1 ~ /[sStT]/' "$out/contents" | grep .; then
    fail "files with a setuid, setgid or sticky bit"
fi
dpkg-deb -e "$deb" "$out/control"
members=$(find "$out/control" -mindepth 1 -printf '%f\n' | sort | tr '\n' ' ')
[ "$members" = "control md5sums " ] || fail "control members: $members"

dpkg-deb -x "$deb" "$out/root"
depends=$(dpkg-deb -f "$deb" Depends | tr ',' '\n' | awk '{ print $1 }')
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
for program in "$out"/root/usr/bin/*; do
    for library in $(readelf -d "$program" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
        package=$(dpkg -S "*/$multiarch/$library" 2>/dev/null | sed -n '1s/:.*//p')
        [ -n "$package" ] || fail "no package holds $library"
        echo "$depends" | grep -qx "$package" || fail "$program links $library of $package, which Depends lacks"
    done
done
zcat "$out/root/usr/share/doc/tessraprog/changelog.gz" >"$out/changelog"
changelog_version=$(dpkg-parsechangelog -l "$out/changelog" -S Version)
[ "$changelog_version" = "$version" ] || fail "the changelog's latest entry is $changelog_version, not $version"

echo "$(basename "$deb"): Depends: $(dpkg-deb -f "$deb" Depends)"
