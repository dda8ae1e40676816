#!/bin/sh
# Writes a program's section 1 manual page, compressed, from its --help and
# --version.
#   help-to-man.sh HELP2MAN PROGRAM "WHAT IT DOES" INCLUDE_FILE OUT.1.gz
set -eu
help2man="$1" program="$2" name="$3" include="$4" out="$5"
page="${out%.gz}"
# A sanitizer build's programs must not fail on the system libraries' leaks.
ASAN_OPTIONS=detect_leaks=0 "$help2man" --no-info --name="$name" \
    --include="$include" --output="$page" "$program"
# The exit statuses are a section of their own, not a part of the options.
sed -i 's/^\.SS "Exit status:"$/.SH "EXIT STATUS"/' "$page"
gzip -9nf "$page"
