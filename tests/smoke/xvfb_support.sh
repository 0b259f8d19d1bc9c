# Sourced by the tests that run the shipped program in a real X window: a temporary folder
# ($work) and the processes to stop at the end ($pids), an Xvfb screen, the game's window,
# clicks at points of its 800x600 picture, and the points that play a game by clicking.
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# Starts Xvfb and exports DISPLAY for it.
start_xvfb() {
  exec 5> "$work/display"
  Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp > "$work/xvfb.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
  export DISPLAY=":$(cat "$work/display")"
}

# Waits up to 60 s for the game's window; false when none came.
wait_for_window() {
  for _ in $(seq 600); do
    xdotool search --onlyvisible --class strikora > /dev/null 2>&1 && return 0
    sleep 0.1
  done
  return 1
}

# Where the window is now (SDL may have made it anew for its renderer): X Y WIDTH HEIGHT.
locate_window() {
  local window
  window=$(xdotool search --onlyvisible --class strikora 2>/dev/null | tail -n 1 || true)
  eval "$(xdotool getwindowgeometry --shell "$window")"
}

click() {  # x y in the 800x600 picture, letterboxed in the window, then seconds to wait
  local sx sy
  read -r sx sy < <(awk -v x="$1" -v y="$2" -v X="$X" -v Y="$Y" -v W="$WIDTH" -v H="$HEIGHT" \
    'BEGIN { s = W / 800; if (H / 600 < s) s = H / 600;
             printf "%d %d\n", X + (W - 800 * s) / 2 + x * s, Y + (H - 600 * s) / 2 + y * s }')
  xdotool mousemove "$sx" "$sy" click 1 || true
  sleep "$3"
}

# A box of the start pick, an answer of each kind, the collect button and every hexagon:
# none of them is on the menu's row of buttons.
game_points=("400 267" "151 392" "427 392" "245 48")
for column in 0 1 2 3 4; do for row in 0 1 2 3; do
  game_points+=("$((75 + 107 * column)) $((196 + 77 * row))")
done; done
