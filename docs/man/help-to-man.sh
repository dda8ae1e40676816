#!/bin/sh
# Writes a program's section 1 manual page, compressed, from its --help and
# --version.
#   help-to-man.sh HELP2MAN PROGRAM "WHAT IT DOES" INCLUDE_FILE OUT.1.gz
set -eu
help2man="$1" program="$2" name="$3" include="$4" out="$5"
page="${out%.gz}"
# SEE ALSO names the other pages, not the page itself.
own=".BR $(basename "$program" | sed 's/-/\\-/g') (1),"
seeAlso="$page.see-also"
OWN="$own" awk '$0 != ENVIRON["OWN"]' "$include" >"$seeAlso"
# A sanitizer build's programs must not fail on the system libraries' leaks.
ASAN_OPTIONS=detect_leaks=0 "$help2man" --no-info --name="$name" \
    --include="$seeAlso" --output="$page" "$program"
rm -f "$seeAlso"
# The exit statuses are a section of their own, not a part of the options.
sed -i 's/^\.SS "Exit status:"$/.SH "EXIT STATUS"/' "$page"
gzip -9nf "$page"
