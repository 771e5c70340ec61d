#!/bin/sh
# Installs the build into a folder of its own, as the package does, and checks that exactly the files of the desktop
# application arrive: every program with its manual page, the menu entry, the AppStream metadata, the icon in every
# size, and the package's documentation; and that the menu entry starts an installed program with the installed icon.
# install.sh BUILD-DIR TREE PROGRAM...
set -eu
build=$1
tree=$2
shift 2
id=de.tessra.tessraprog
rm -rf "$tree" "$tree.expected" "$tree.installed"
DESTDIR="$tree" cmake --install "$build" --prefix /usr >/dev/null

{
    for program in "$@"; do
        echo "usr/bin/$program"
        echo "usr/share/man/man1/$program.1.gz"
    done
    echo "usr/share/applications/$id.desktop"
    echo "usr/share/metainfo/$id.metainfo.xml"
    echo "usr/share/icons/hicolor/scalable/apps/$id.svg"
    for size in 16 24 32 48 64 128 256; do
        echo "usr/share/icons/hicolor/${size}x$size/apps/$id.png"
    done
    for file in copyright changelog.gz tessraprog-demo.png; do
        echo "usr/share/doc/tessraprog/$file"
    done
} | sort >"$tree.expected"
(cd "$tree" && find . ! -type d | sed 's|^\./||' | sort) >"$tree.installed"
if ! diff -u "$tree.expected" "$tree.installed"; then
    echo "FAIL: the installed files (+) are not the expected ones (-)"
    exit 1
fi

desktop="$tree/usr/share/applications/$id.desktop"
exec_program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
if [ ! -x "$tree/usr/bin/$exec_program" ]; then
    echo "FAIL: the menu entry starts \"$exec_program\", which is not an installed program"
    exit 1
fi
if ! grep -qx "Icon=$id" "$desktop"; then
    echo "FAIL: the menu entry's icon is not the installed $id: $(grep '^Icon=' "$desktop")"
    exit 1
fi
echo "installed as expected: $(wc -l <"$tree.installed") files"
