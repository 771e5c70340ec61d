#!/bin/sh
# Debian's package checker on the package that deb.sh built: no error and no warning.
# lintian.sh OUT-DIR
set -eu
if ! command -v lintian >/dev/null; then
    echo "SKIPPED: lintian is not installed; sh scripts/install-deps.sh installs it"
    exit 77
fi
lintian --fail-on error,warning --display-info "$1"/*.deb
echo "lintian: no errors, no warnings"
