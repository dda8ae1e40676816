#!/usr/bin/env bash
# What `cmake --install` puts in a prefix, used from there: the programs on an
# installed example, the manual pages, the bash completion, what the desktop
# gets (desktop-checks.sh); then the Debian package made of the same files,
# checked by lintian.
#   install.sh BUILD_DIR VERSION CMAKE CPACK SANITIZED(0|1)
set -u
build="$1" version="$2" cmake="$3" cpack="$4" sanitized="$5"
for tool in man lintian dpkg-shlibdeps update-mime-database gio desktop-file-validate appstreamcli \
    identify hardening-check; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed (scripts/install-deps.sh test)"
        exit 77
    fi
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$(dirname "$0")/cli-checks.sh"
prefix="$work/prefix"
doc="$prefix/share/doc/vextal"

"$cmake" --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 \
    || fail "cmake --install: $(tail -3 "$work/install.log")"
for file in bin/vextal bin/vextal-export bin/vextal-snapshot bin/vextal-animate bin/vextal-check \
    share/man/man1/vextal.1.gz share/man/man1/vextal-export.1.gz share/man/man1/vextal-snapshot.1.gz \
    share/man/man1/vextal-check.1.gz share/bash-completion/completions/vextal-check \
    share/man/man5/vextal-scene.5.gz share/vextal/examples/worked-example.vextal \
    share/doc/vextal/README.md share/doc/vextal/copyright share/doc/vextal/changelog.gz \
    share/bash-completion/completions/vextal share/bash-completion/completions/vextal-export \
    share/bash-completion/completions/vextal-snapshot share/man/man1/vextal-animate.1.gz \
    share/bash-completion/completions/vextal-animate \
    ${VEXTAL_EXPECT_FIT:+bin/vextal-fit share/man/man1/vextal-fit.1.gz share/bash-completion/completions/vextal-fit}; do
    [ -f "$prefix/$file" ] || fail "not installed: $file"
done
# Every picture and document the installed README and its documents link to
# is beside them.
for page in "$doc/README.md" "$doc"/docs/*.md; do
    for link in $(grep -oE '\]\([A-Za-z0-9_./-]+\.(md|png|gif|webp)(#[a-z0-9-]*)?\)' "$page" | sed 's/^](//; s/)$//; s/#.*//' | sort -u); do
        [ -f "$(dirname "$page")/$link" ] || fail "the installed ${page#"$doc/"} links to a missing $link"
    done
done

# The installed programs on an installed example.
example="$prefix/share/vextal/examples/starfish.vextal"
expect_status 0 "installed export" "$prefix/bin/vextal-export" "$example" "$work/starfish.stl"
[ "$(wc -c <"$work/starfish.stl")" -gt 84 ] || fail "the installed export wrote no STL"
expect_status 0 "installed snapshot" "$prefix/bin/vextal-snapshot" "$example" "$work/starfish.png" --size 64x48
[ "$(head -c 8 "$work/starfish.png" | od -An -tx1 | tr -d ' ')" = 89504e470d0a1a0a ] \
    || fail "the installed snapshot wrote no PNG"
expect_status 0 "installed check" "$prefix/bin/vextal-check" "$example"
# The Python module, where Debian's python3 finds it under a prefix (when built).
imports() { # DIST_PACKAGES: the module there loads the example and meshes it
    PYTHONPATH="$1" /usr/bin/python3 -c 'import sys, vextal; vextal.load(sys.argv[1]).mesh()' "$example" \
        || fail "import vextal from $1 failed"
}
# A sanitizer build's module loads only with the sanitizer's runtime preloaded.
modules="$prefix/lib/python3/dist-packages"
[ "$sanitized" = 1 ] && modules=/nonexistent
[ ! -d "$modules" ] || imports "$modules"
for program in vextal vextal-export vextal-snapshot vextal-animate vextal-check; do
    expect_status 0 "$program --version" "$prefix/bin/$program" --version
    [ "$(head -1 "$work/stdout")" = "$program $version" ] \
        || fail "$program --version: $(head -1 "$work/stdout"), expected $program $version"
done

# Each page renders without a groff warning, under its name and section.
for page in "$prefix"/share/man/man*/*; do
    name=$(basename "$page" .gz)
    MANWIDTH=80 man --warnings -l "$page" >"$work/page" 2>"$work/man.err" || fail "man -l $name failed"
    [ ! -s "$work/man.err" ] || fail "man -l $name warns: $(cat "$work/man.err")"
    head -1 "$work/page" | grep -qi "^${name%.*}(${name##*.})" || fail "$name heading: $(head -1 "$work/page")"
done
zcat "$prefix/share/man/man1/vextal-snapshot.1.gz" | grep -qF -- '\-\-distance' || fail "vextal-snapshot(1) lacks --distance"
zcat "$prefix/share/man/man5/vextal-scene.5.gz" | grep -q '^\.B render' || fail "vextal-scene(5) lacks render"

# Completion: options, the formats after --format (also after '='), files.
completes() { # expected words...: what the installed completion offers for the words
    local expected="$1" offered
    shift
    offered=$(bash -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1))
        _vextal "$1"; echo "${COMPREPLY[*]}"' _ "$prefix/share/bash-completion/completions/$1" "$@")
    [ "$offered" = "$expected" ] || fail "completing '$*' offers '$offered', expected '$expected'"
}
completes "--help --version --watch --panel --colour" vextal --
completes "gaussian" vextal-snapshot s.txt o --colour g
completes "--json" vextal-check --j
completes "--distance" vextal-snapshot s.txt --di
completes "stl" vextal-export s.txt o --format st
completes "webp" vextal-animate s.txt o --format w
completes "ply" vextal-export --format = p
completes "$example" vextal-export "${example%.vextal}"

source "$(dirname "$0")/desktop-checks.sh"

# Hardened as Debian's own programs. Control-flow protection is left out:
# Debian 12's start-up files lack its marking, so no program there has it.
if [ "$sanitized" = 0 ]; then
    # The compiled programs: vextal-web is a shell script.
    programs=()
    for program in "$prefix"/bin/*; do
        [ "$(head -c 4 "$program" | od -An -tx1 | tr -d ' ')" = 7f454c46 ] && programs+=("$program")
    done
    hardening-check --nocfprotection --quiet "${programs[@]}" || fail "hardening-check: not hardened"
fi

# The page, where it was built, beside the program that serves or copies it.
if [ -f "$build/web/vextal-geometry.mjs" ]; then
    "$prefix/bin/vextal-web" write "$work/site" >/dev/null || fail "the installed vextal-web does not write the page"
    [ -f "$work/site/index.html" ] && [ -f "$work/site/vextal-geometry.mjs" ] &&
        [ -f "$work/site/examples/list.json" ] || fail "the installed page is not whole"
fi

# The package: the same files under /usr, its dependencies found by
# dpkg-shlibdeps, and nothing lintian calls an error or a warning.
"$cpack" --config "$build/CPackConfig.cmake" -G DEB -B "$work/package" >"$work/cpack.log" 2>&1 \
    || fail "cpack: $(tail -3 "$work/cpack.log")"
deb=$(ls "$work/package"/*.deb 2>/dev/null | head -1)
if [ -n "$deb" ]; then
    [ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version $(dpkg-deb -f "$deb" Version)"
    for format in OBJ PLY STL 3MF glTF PNG GIF WebP MP4; do
        dpkg-deb -f "$deb" Description | grep -qw "$format" || fail "the package description does not name $format"
    done
    dpkg-deb -f "$deb" Depends | grep -q 'libsdl2-2.0-0.*libx11-6' \
        || fail "package dependencies: $(dpkg-deb -f "$deb" Depends)"
    dpkg-deb -c "$deb" | awk '!/\/$/ {print $6}' | sed 's|^\./usr/||' | sort >"$work/packaged"
    (cd "$prefix" && find . -type f | sed 's|^\./||' | sort) >"$work/installed"
    cmp -s "$work/installed" "$work/packaged" \
        || fail "the package differs from the install: $(diff "$work/installed" "$work/packaged" | head -5)"
    if [ -d "$modules" ]; then
        dpkg-deb -f "$deb" Depends | grep -q 'python3-numpy' || fail "the package does not depend on python3-numpy"
        dpkg-deb -x "$deb" "$work/unpacked" && imports "$work/unpacked/usr/lib/python3/dist-packages"
    fi
    if [ "$sanitized" = 1 ]; then
        echo "a sanitizer build's package is no release: lintian left out"
    else
        lintian --info "$deb" >"$work/lintian" 2>&1
        grep -E "^[EW]: |hardening-" "$work/lintian" && fail "lintian reports errors, warnings or missing hardening"
        echo "lintian: no errors, no warnings, no missing hardening"
    fi
else
    fail "cpack made no .deb"
fi

if [ "$failures" -gt 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "install checks passed"
