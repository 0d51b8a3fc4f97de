# Sourced by the scripts and tests that wait for another process to do
# something. wait_until SECONDS COMMAND [ARGUMENTS]: runs COMMAND every tenth
# of a second until it succeeds, then returns 0; once SECONDS have passed
# without that, returns 1. The limit only ends a wait for what never comes.

wait_until() {
    local limit=$1 since=$SECONDS
    shift
    until "$@"; do
        if ((SECONDS - since >= limit)); then
            return 1
        fi
        sleep 0.1
    done
}
