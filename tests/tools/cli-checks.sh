# Sourced by the command-line tool tests, after they set `work`:
#   fail MESSAGE                         counts a failure and says it
#   expect_status STATUS WHAT COMMAND... runs it, its output in $work/stdout and
#                                        $work/stderr, and fails unless it exits STATUS
failures=0

# True for a program built with the address sanitizer, which reserves terabytes
# of address space for its shadow memory: no address-space limit applies to it.
address_sanitized() { ldd "$1" 2>/dev/null | grep -q libasan; }

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

expect_status() { # expected-status description command...
    local expected="$1" what="$2"
    shift 2
    "$@" >"$work/stdout" 2>"$work/stderr"
    local status=$?
    [ "$status" -eq "$expected" ] || fail "$what: exit $status, expected $expected ($(cat "$work/stderr"))"
}
#   expect_usage_error MESSAGE COMMAND... exits 64, nothing on stdout, and on
#                                        stderr exactly "NAME: MESSAGE" and
#                                        "Try 'NAME --help'."
#   check_conventions PROGRAM OPTION...  --help on stdout explains every option,
#                                        the exit statuses and an example;
#                                        --version names the program; both exit 0,
#                                        and 2 with one line on stderr when
#                                        standard output is a full device
#   full_device                          makes $work/full, a full device (as
#                                        /dev/full), and says whether it could

expect_usage_error() { # message command...
    local message="$1" name
    name=$(basename "$2")
    shift
    expect_status 64 "$message" "$@"
    [ ! -s "$work/stdout" ] || fail "usage error '$message' printed on stdout"
    printf "%s: %s\nTry '%s --help'.\n" "$name" "$message" "$name" | cmp -s - "$work/stderr" \
        || fail "expected '$name: $message', got: $(cat "$work/stderr")"
}

check_conventions() { # program option...
    local program="$1" name option
    name=$(basename "$1")
    shift
    expect_status 0 "$name --help" "$program" --help
    [ ! -s "$work/stderr" ] || fail "$name --help wrote on stderr"
    grep -q "^Usage: $name \[OPTION\]" "$work/stdout" || fail "$name --help has no usage line"
    for option in "$@" --help --version; do
        grep -q -- "^  $option\( \|$\)" "$work/stdout" || fail "$name --help does not explain $option"
    done
    grep -q '^Exit status:$' "$work/stdout" && grep -q '^  64 *usage error$' "$work/stdout" \
        && grep -q "^Examples:$" "$work/stdout" && grep -q "^  .*$name" "$work/stdout" \
        || fail "$name --help lacks the exit statuses or the example"
    expect_status 0 "--help wins over the rest of the line" "$program" --bogus x --help
    grep -q "^Usage: $name" "$work/stdout" || fail "$name --bogus x --help gave no help"
    expect_status 0 "$name --version" "$program" --version
    head -1 "$work/stdout" | grep -Eq "^$name [0-9]+\.[0-9]+(\.[0-9]+)*$" \
        || fail "$name --version: $(head -1 "$work/stdout")"
    [ ! -s "$work/stderr" ] || fail "$name --version wrote on stderr"
    expect_usage_error "unknown option '--bogus'" "$program" --bogus
    expect_usage_error "unknown option '-h'" "$program" -h
    expect_usage_error "--version takes no value" "$program" --version=2
    expect_usage_error "no option name before '=' in '--=x'" "$program" --=x
    expect_usage_error "unknown option '-\\x1b[2J'" "$program" $'-\e[2J'
    if full_device; then
        for option in --help --version; do
            "$program" "$option" >"$work/full" 2>"$work/stderr"
            local status=$?
            [ "$status" -eq 2 ] && [ "$(wc -l <"$work/stderr")" -eq 1 ] \
                && grep -q "^$name: write error" "$work/stderr" \
                || fail "$name $option on a full device: exit $status, stderr: $(cat "$work/stderr")"
        done
    fi
}

full_device() {
    [ -c "$work/full" ] || mknod "$work/full" c 1 7 2>/dev/null
}
