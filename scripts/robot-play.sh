#!/usr/bin/env bash
# Plays the built game for a while with seeded random input sent through the
# X test extension (xdotool): mouse steering, speed, rolls, shots and every
# toggle key, then Escape. Samples the game's memory and frame rate (F2 puts
# it in the window title), takes screenshots, and fails on a crash, a hang,
# memory that keeps growing, or a high-score file that is not the table the
# game should have saved.
#
# usage: scripts/robot-play.sh [seconds=60] [seed=1] [output folder=build/robot-play]
# The game folder is build/game unless ORBIVANE_GAME_DIR names another.
# Without a display it runs itself on a private Xvfb server.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/quit-game.sh

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi

seconds="${1:-60}"
seed="${2:-1}"
out="$(realpath -m "${3:-build/robot-play}")"
game_dir="$(realpath "${ORBIVANE_GAME_DIR:-build/game}")"
hang_seconds=10
sample_seconds=1
shot_every=15
title="KOLM 2015: Orbivane"

for tool in xdotool xwd; do
  command -v "$tool" > /dev/null || { echo "robot-play: $tool is missing (scripts/setup.sh installs it)"; exit 2; }
done
[ -x "$game_dir/orbivane" ] || { echo "robot-play: no game at $game_dir (build it first)"; exit 2; }

# A private copy of the game folder, so the run's settings and high scores
# never touch the build.
rm -rf "$out"
mkdir -p "$out/game" "$out/shots"
ln -s "$game_dir/orbivane" "$out/game/orbivane"
ln -s "$game_dir/shader" "$out/game/shader"
ln -s "$game_dir/res" "$out/game/res"
printf 'Invulnerable=1\nPlayerName=Robot\n' > "$out/game/Orbivane.ini"
initial_table=$'Ann|12\nBob|3\n'
printf '%s' "$initial_table" > "$out/game/highscores.txt"

failures=()
fail() { failures+=("$1"); echo "robot-play: FAIL: $1"; }

(cd "$out/game" && ALSOFT_DRIVERS=null exec ./orbivane < /dev/null > "$out/game.log" 2>&1) &
pid=$!
finish() {
  if kill -0 "$pid" 2> /dev/null; then
    kill -9 "$pid" 2> /dev/null || true
  fi
}
trap finish EXIT

window="$(timeout 90 xdotool search --sync --onlyvisible --name "^$title" | head -n 1 || true)"
if [ -z "$window" ]; then
  echo "robot-play: FAIL: the game's window never appeared"
  tail -n 20 "$out/game.log"
  exit 1
fi
timeout 10 xdotool windowfocus --sync "$window" || true
xdotool mousemove --window "$window" 320 160

RANDOM="$seed"
random() { echo $((RANDOM % $1)); }

# Flight keys act while held, so a key is held for a while; a switch flips
# once per press however long it is held.
hold() {
  xdotool keydown "$1"
  sleep "$2"
  xdotool keyup "$1"
}

rss_kb() { awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status" 2> /dev/null || echo 0; }
window_title() { xdotool getwindowname "$window" 2> /dev/null | tr -d '\n' || true; }

toggles=(Tab F1 F3 F4 F5 F8 F9)
random_action() {
  case "$(random 8)" in
    0 | 1) xdotool mousemove_relative -- $(($(random 81) - 40)) $(($(random 61) - 30)) ;;
    2) hold "$( [ "$(random 2)" = 0 ] && echo w || echo Up)" "0.$((2 + $(random 5)))" ;;
    3) hold "$( [ "$(random 3)" = 0 ] && echo s || echo Down)" "0.$((1 + $(random 3)))" ;;
    4) hold "$( [ "$(random 2)" = 0 ] && echo Left || echo Right)" "0.$((2 + $(random 6)))" ;;
    5 | 6) hold space "0.$((1 + $(random 4)))" ;;
    7) hold "${toggles[$(random ${#toggles[@]})]}" 0.15 ;;
  esac
}

start=$SECONDS
last_sample=-1
last_shot=-$shot_every
last_title=""
last_change=$SECONDS
last_fps_press=-10
frames=0
rss_samples=()
shots=0
f2_presses=0
while (( SECONDS - start < seconds )); do
  if ! kill -0 "$pid" 2> /dev/null; then
    wait "$pid" && status=0 || status=$?
    fail "the game ended during play (exit status $status)"
    break
  fi
  random_action
  now=$SECONDS
  if (( now - last_sample >= sample_seconds )); then
    elapsed=$(( now - (last_sample < 0 ? now : last_sample) ))
    last_sample=$now
    rss_samples+=("$(rss_kb)")
    current="$(window_title)"
    if [ "$current" != "$last_title" ]; then
      last_title="$current"
      last_change=$now
    elif (( now - last_change > hang_seconds )); then
      fail "no new frame for $((now - last_change)) s (title stayed \"$current\")"
      break
    fi
    fps="$(sed -n 's/.*FPS: \([0-9]*\).*/\1/p' <<< "$current")"
    if [ -n "$fps" ]; then
      frames=$((frames + fps * elapsed))
    elif (( now - last_fps_press >= 3 )); then
      # The frame-rate read-out is off (F2 is part of the random play too).
      hold F2 0.15
      f2_presses=$((f2_presses + 1))
      last_fps_press=$now
    fi
  fi
  if (( now - last_shot >= shot_every )); then
    last_shot=$now
    xwd -silent -id "$window" -out "$out/shots/shot-$(printf '%03d' "$shots").xwd" || true
    shots=$((shots + 1))
  fi
done

# Escape saves the table and closes the window; it is held until the game ends.
status=""
if kill -0 "$pid" 2> /dev/null; then
  if ! quit_with_escape "$pid"; then
    fail "the game did not end within 20 s of Escape"
  else
    wait "$pid" && status=0 || status=$?
    [ "$status" = 0 ] || fail "the game ended with exit status $status after Escape"
  fi
fi

# The saved table: the two entries it started with and the robot's score,
# merged the way the game merges a score that is already taken.
table="$(cat "$out/game/highscores.txt")"
robot_score="$(sed -n 's/.*Robot|\(-\{0,1\}[0-9]*\)$/\1/p' <<< "$table")"
if [ -z "$robot_score" ]; then
  fail "the high-score file has no entry for the robot: $(tr '\n' ' ' <<< "$table")"
else
  expected="$(printf '%s' "$initial_table" | awk -F'|' -v s="$robot_score" '
    { if ($2 == s) { $0 = $1 ", Robot|" $2; merged = 1 } lines[NR] = $0; scores[NR] = $2 }
    END {
      if (!merged) { n = NR + 1; lines[n] = "Robot|" s; scores[n] = s } else { n = NR }
      for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++)
        if (scores[j] + 0 > scores[i] + 0) { t = lines[i]; lines[i] = lines[j]; lines[j] = t; t = scores[i]; scores[i] = scores[j]; scores[j] = t }
      for (i = 1; i <= n; i++) print lines[i]
    }')"
  [ "$table" = "$expected" ] || fail "high-score file is not the expected table: $(tr '\n' ' ' <<< "$table")"
  printed="$(awk '/NEW HIGHSCORES:$/ { block = ""; inside = 1; next } inside && /\|/ { block = block $0 "\n"; next } { inside = 0 } END { printf "%s", block }' "$out/game.log")"
  [ "$printed" = "$table" ] || fail "the table printed on Escape differs from the file"
fi

printf '%s\n' "${rss_samples[@]}" > "$out/rss-kb.txt"

# Memory after the first quarter (warm-up: shaders, textures, driver caches)
# must not keep growing: the last five samples against the first five after it.
count=${#rss_samples[@]}
skip=$((count / 4))
if (( count - skip >= 10 )); then
  early=0
  late=0
  for i in 0 1 2 3 4; do
    early=$((early + rss_samples[skip + i]))
    late=$((late + rss_samples[count - 1 - i]))
  done
  early=$((early / 5))
  late=$((late / 5))
  if (( late > early + early / 10 + 32768 )); then
    fail "memory kept growing: $((early / 1024)) MB after warm-up, $((late / 1024)) MB at the end"
  fi
fi

if [ -n "$(command -v convert)" ] && convert -version 2> /dev/null | grep -q ImageMagick; then
  for shot in "$out"/shots/*.xwd; do
    convert "$shot" "${shot%.xwd}.png" && rm "$shot"
  done
fi

first_rss=$(( ${rss_samples[0]:-0} / 1024 ))
last_rss=$(( ${rss_samples[count - 1]:-0} / 1024 ))
echo "robot-play: $seconds s, seed $seed: about $frames frames drawn, memory ${first_rss} MB at start," \
  "${last_rss} MB at the end (peak $(printf '%s\n' "${rss_samples[@]}" | sort -n | tail -n 1 | awk '{ printf "%d", $1 / 1024 }') MB)," \
  "$shots screenshots in $out/shots, robot score ${robot_score:-none}, F2 re-pressed $f2_presses times"
if (( ${#failures[@]} > 0 )); then
  echo "robot-play: ${#failures[@]} failure(s)"
  tail -n 20 "$out/game.log"
  exit 1
fi
echo "robot-play: no failures"
