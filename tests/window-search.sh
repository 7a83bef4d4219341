# Sourced by the shell tests that wait for a window of the program.
#
# findWindow PATTERN SECONDS prints the id of the first window whose name
# matches PATTERN, waiting up to SECONDS for one; it prints nothing and fails
# when none came. It asks again every tenth of a second rather than leaving
# the wait to `xdotool search --sync`: a search reads every window's name,
# and a window that another client destroys in the middle of it (a program
# starting up makes and drops a few) ends xdotool with an X error, BadWindow,
# and no answer. A search that fails so is simply made again.
findWindow() {
  findWindowEnd=$(($(date +%s) + $2))
  while :; do
    findWindowId=$(xdotool search --name "$1" 2>/dev/null | head -n 1)
    if [ -n "$findWindowId" ]; then
      echo "$findWindowId"
      return 0
    fi
    [ "$(date +%s)" -lt "$findWindowEnd" ] || return 1
    sleep 0.1
  done
}
