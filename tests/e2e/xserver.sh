# Sourced by the end-to-end scripts: starts a private Xvfb and exports DISPLAY.
#   start_xvfb WORK_DIR [XVFB_OPTION...]    sets xvfb_pid; returns non-zero when
#                                           no server came up
# Xvfb picks a free display itself and writes its number to descriptor 3, so
# X servers started at the same time on this machine never collide.
start_xvfb() {
    local work="$1" number=""
    shift
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp "$@" 3>"$work/display" >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 100); do
        number=$(tr -dc 0-9 <"$work/display")
        [ -n "$number" ] && break
        sleep 0.1
    done
    [ -n "$number" ] || return 1
    export DISPLAY=":$number"
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && return 0; sleep 0.1; done
    return 1
}
