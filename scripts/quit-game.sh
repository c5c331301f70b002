# Sourced by the scripts that play the game through the X test extension.

# Holds Escape, which saves the high scores and closes the window, until the
# game with process id $1 has ended, for at most 20 s. Fails if it still runs.
quit_with_escape() {
  xdotool keydown Escape
  for _ in $(seq 1 100); do
    kill -0 "$1" 2> /dev/null || break
    sleep 0.2
  done
  xdotool keyup Escape
  ! kill -0 "$1" 2> /dev/null
}
