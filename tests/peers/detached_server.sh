# Sourced by the peer scripts that run one server program in a directory of
# its own ($dir): the server runs detached, its pid in $dir/pid and its
# output in $dir/server.log.

stop_server() {
    if [ -f "$dir/pid" ]; then
        kill "$(cat "$dir/pid")" 2>/dev/null || true
        rm -f "$dir/pid"
    fi
}

# start_server READY COMMAND...: runs COMMAND and waits until it has written
# the file $dir/READY; fails with the server's output when it does not.
start_server() {
    local ready=$1
    shift
    # Detached, with no inherited output, so that ctest does not wait for it.
    setsid "$@" >"$dir/server.log" 2>&1 </dev/null &
    echo $! >"$dir/pid"
    for _ in $(seq 100); do
        [ -s "$dir/$ready" ] && return 0
        sleep 0.1
    done
    echo "$* did not start:" >&2
    cat "$dir/server.log" >&2
    stop_server
    return 1
}
