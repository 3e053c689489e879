# Sourced by the test scripts that start a program in the background: ends
# it with a signal, waiting a bounded time, and fails through the caller's
# own fail() unless it ends with status 0.
#   stop_program <pid> <signal> <seconds> <what it is>
stop_program() {
  kill -"$2" "$1"
  for _ in $(seq $(($3 * 10))); do kill -0 "$1" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$1" 2>/dev/null && fail "$4 still runs $3 s after SIG$2"
  wait "$1"
  local status=$?
  [ "$status" -eq 0 ] || fail "$4 ends with status $status after SIG$2"
}
