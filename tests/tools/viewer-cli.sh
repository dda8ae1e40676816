#!/usr/bin/env bash
# The viewer's command line: --help, --version, --watch and one scene file;
# none of these checks opens a window, so no display is needed.
#   viewer-cli.sh VIEWER_BINARY EXAMPLES_INSTALL_DIR
set -u
viewer="$1"
installed_examples="$2"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$(dirname "$0")/cli-checks.sh"
unset DISPLAY WAYLAND_DISPLAY

check_conventions "$viewer" --watch
expect_usage_error "extra operand 'b.txt'" "$viewer" a.txt b.txt
expect_usage_error "--watch takes no value" "$viewer" --watch=yes
expect_usage_error "unknown option '--size'" "$viewer" --size 800x600
expect_usage_error "--colour needs plain, gaussian, mean, height, radius or parameter, got 'hue'" "$viewer" --colour hue
expect_status 0 "--help" "$viewer" --help
grep -qF "cp $installed_examples/starfish.vextal" "$work/stdout" \
    || fail "--help does not name the installed examples, $installed_examples"

if [ "$failures" -gt 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "viewer CLI checks passed"
