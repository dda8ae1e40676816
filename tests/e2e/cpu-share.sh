# Sourced by the end-to-end scripts.
#   cpu_percent PID SECONDS    prints the CPU time PID used over SECONDS, in
#                              percent of one core (user and system time)
cpu_percent() {
    local pid="$1" seconds="$2" tick before after
    tick=$(getconf CLK_TCK)
    before=$(awk '{print $14 + $15}' "/proc/$pid/stat") || return 1
    sleep "$seconds"
    after=$(awk '{print $14 + $15}' "/proc/$pid/stat") || return 1
    echo $(( (after - before) * 100 / (tick * seconds) ))
}
