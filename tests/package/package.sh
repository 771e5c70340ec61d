#!/bin/sh
# The installation and the Debian package as the technician's system sees them, step by step:
# package.sh install|deb|version BUILD-DIR OUT-DIR VERSION MODULE PROGRAM...
# MODULE is the measurement history's module as the window looks for it, relative to the program's folder.
set -eu
step=$1 build=$2 out=$3 version=$4 module=$5
shift 5
# The module below the prefix, where the program's folder is bin/.
installed_module=$(realpath -m --relative-to=/usr "/usr/bin/$module")
id=de.tessra.tessraprog
fail() { echo "FAIL: $*"; exit 1; }
need() { command -v "$1" >/dev/null || { echo "SKIPPED: no $1 (sh scripts/install-deps.sh installs it)"; exit 77; }; }
case $step in
install)
    # Exactly the application's files: every program with its manual page, the history's module where the window
    # looks for it, the icon in every size under the menu entry's icon name, the metadata and the package's
    # documentation.
    rm -rf "$out/tree" && mkdir -p "$out"
    DESTDIR="$out/tree" cmake --install "$build" --prefix /usr >/dev/null
    icon=$(sed -n 's/^Icon=//p' "$out/tree/usr/share/applications/$id.desktop")
    {
        for program in "$@"; do printf 'bin/%s\nshare/man/man1/%s.1.gz\n' "$program" "$program"; done
        echo "$installed_module"
        for size in 16 24 32 48 64 128 256; do echo "share/icons/hicolor/${size}x$size/apps/$icon.png"; done
        printf 'share/%s\n' "icons/hicolor/scalable/apps/$icon.svg" "applications/$id.desktop" \
            "metainfo/$id.metainfo.xml" doc/tessraprog/copyright doc/tessraprog/changelog.gz doc/tessraprog/tessraprog-demo.png
    } | sort >"$out/expected"
    (cd "$out/tree/usr" && find . ! -type d | cut -c3- | sort) | diff -u "$out/expected" - || fail "installed (+) differs"
    need desktop-file-validate; need appstreamcli
    # Its hints fail as well: each says how a menu would show the entry worse.
    remarks=$(desktop-file-validate "$out/tree/usr/share/applications/$id.desktop" 2>&1 || :)
    [ -z "$remarks" ] || fail "$remarks"
    appstreamcli validate-tree --no-net --strict "$out/tree" ;;
deb)
    rm -rf "$out/deb" "$out/root" && cpack --config "$build/CPackConfig.cmake" -B "$out/deb" >/dev/null
    deb=$out/deb/tessraprog_${version}_$(dpkg --print-architecture).deb
    dpkg-deb -x "$deb" "$out/root"
    # Depends names the package of every library the programs and the module link, and no maintainer script grants
    # a privilege. The window starts without Qt Charts and Qt OpenGL, which only the module links.
    dpkg-deb -f "$deb" Depends
    depends=$(dpkg-deb -f "$deb" Depends | tr ',' '\n' | awk '{ print $1 }')
    needed() { readelf -d "$@" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' | sort -u; }
    ! needed "$out/root/usr/bin/tessraprog" | grep -E '^libQt6(Charts|OpenGL)' || fail "tessraprog links Qt Charts"
    needed "$out/root/usr/$installed_module" | grep -q '^libQt6Charts' || fail "the module lacks Qt Charts"
    for library in $(needed "$out"/root/usr/bin/* "$out/root/usr/$installed_module"); do
        package=$(dpkg -S "*/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/$library" | sed -n '1s/:.*//p')
        echo "$depends" | grep -qx "$package" || fail "Depends lacks $package, which holds $library"
    done
    [ "$(dpkg-deb --ctrl-tarfile "$deb" | tar -t | sort | xargs)" = "./control ./md5sums" ] || fail "control members"
    changelog=$(zcat "$out/root/usr/share/doc/tessraprog/changelog.gz" | dpkg-parsechangelog -l - -S Version)
    [ "$changelog" = "$version" ] || fail "the changelog's latest entry is $changelog"
    need lintian
    lintian --fail-on error,warning --display-info "$deb" ;;
version)
    # The unpacked tool tells its version without a display.
    printed=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 20 "$out/root/usr/bin/tessraprog" --version) ||
        fail "tessraprog --version ended with status $?"
    [ "$printed" = "TessraProg $version" ] || fail "tessraprog --version printed \"$printed\"" ;;
esac
