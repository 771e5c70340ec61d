#!/bin/sh
# The installed menu entry and AppStream metadata as their freedesktop validators see them. The metadata is checked
# without the network: its screenshot's web address is not fetched.
# validate.sh TREE
set -eu
tree=$1
missing=""
if command -v desktop-file-validate >/dev/null; then
    # The validator's hints fail the test as well: each says how a menu would show the entry worse.
    output=$(desktop-file-validate "$tree"/usr/share/applications/*.desktop)
    if [ -n "$output" ]; then
        echo "$output"
        echo "FAIL: desktop-file-validate"
        exit 1
    fi
    echo "desktop-file-validate: no remarks"
else
    missing="$missing desktop-file-validate (desktop-file-utils)"
fi
if command -v appstreamcli >/dev/null; then
    # validate-tree also finds the desktop file that the metadata launches.
    appstreamcli validate-tree --no-net --strict "$tree" || { echo "FAIL: appstreamcli validate-tree"; exit 1; }
else
    missing="$missing appstreamcli (appstream)"
fi
if [ -n "$missing" ]; then
    echo "SKIPPED, not installed:$missing; sh scripts/install-deps.sh installs them"
    exit 77
fi
