# Sourced by the command-line tool tests, after they set `work`:
#   fail MESSAGE                         counts a failure and says it
#   expect_status STATUS WHAT COMMAND... runs it, its output in $work/stdout and
#                                        $work/stderr, and fails unless it exits STATUS
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

expect_status() { # expected-status description command...
    local expected="$1" what="$2"
    shift 2
    "$@" >"$work/stdout" 2>"$work/stderr"
    local status=$?
    [ "$status" -eq "$expected" ] || fail "$what: exit $status, expected $expected ($(cat "$work/stderr"))"
}
