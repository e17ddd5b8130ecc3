#!/usr/bin/env bash
# Installs the tuner into a temporary prefix and starts the installed program on a virtual
# display, plainly (without a sound server: it must print nothing) and with Qt's own options,
# which it ignores; takes screenshots of its window, checks that it shows the default
# instrument, and closes it as a user would: it must end.
#   installed_window_test.sh <build folder> <close_window helper> [screenshot to keep]
set -euo pipefail
build="$1"; closer="$2"; keep="${3:-}"
tmp="$(mktemp -d)"
xvfb=""; app=""
cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null || true
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT

cmake --install "$build" --prefix "$tmp/prefix" >/dev/null
lib="$tmp/prefix/lib/veltrosan-tuner"
[ -x "$lib/veltrosan-tuner" ] && [ -f "$lib/Tunes/Ukulele/all-off.bmp" ]
[ -f "$tmp/prefix/share/applications/org.veltrosan.Tuner.desktop" ]
[ -f "$tmp/prefix/share/applications/org.veltrosan.Tuner.Listen.desktop" ]
[ -f "$tmp/prefix/share/icons/hicolor/32x32/apps/org.veltrosan.Tuner.png" ]
[ -f "$tmp/prefix/share/man/man1/veltrosan-tuner.1.gz" ] && [ -f "$tmp/prefix/share/man/man1/veltrosan-tuner-make.1.gz" ]

# Xvfb picks a free display itself and names it once it is ready. Without -noreset it resets
# when its last client leaves (a closed program, the closing helper), and a program started
# during that reset, on a busy machine, finds no display and aborts.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$tmp/display" >"$tmp/xvfb.log" 2>&1 &
xvfb=$!
for _ in $(seq 300); do [ -s "$tmp/display" ] && break; sleep 0.1; done
[ -s "$tmp/display" ] || { echo "the virtual display did not start"; exit 1; }
export DISPLAY=":$(head -n1 "$tmp/display")"
unset QT_QPA_PLATFORM
[ -n "${XDG_RUNTIME_DIR:-}" ] || { export XDG_RUNTIME_DIR="$tmp/runtime"; mkdir -m 700 "$XDG_RUNTIME_DIR"; }

# Whether a region of a screenshot shows the same region of a picture: same shot region picture
same() {
  convert "$1" -crop "$2" +repage "$tmp/a.png"
  convert "$3" -crop "$2" +repage "$tmp/b.png"
  [ "$(compare -metric AE "$tmp/a.png" "$tmp/b.png" null: 2>&1)" = "0" ]
}

shows_ukulele() { # shot
  same "$1" 384x40+0+0 "$lib/Tunes/Ukulele/all-off.bmp" &&
    same "$1" 96x84+10+196 "$lib/Tunes/Ukulele/all-off.bmp" &&
    same "$1" 103x54+18+478 "$lib/Tunes/Ukulele/all-on.bmp"
}

# Started through the link in bin/: the program finds its Tunes beside the real executable.
# Shows the window, takes its screenshot into $1.png and leaves the program running.
start() {
  shot="$1"; shift
  "$tmp/prefix/bin/veltrosan-tuner" "$@" >"$tmp/$shot.log" 2>&1 &
  app=$!
  id=""
  for _ in $(seq 300); do # the first start on a new machine also builds the font cache
    id="$("$closer" --find "Veltrosan Tuner" 2>/dev/null || true)"
    [ -n "$id" ] && break
    sleep 0.1
  done
  [ -n "$id" ] || {
    echo "no window appeared (arguments: $*)"; cat "$tmp/$shot.log"
    kill -0 "$xvfb" 2>/dev/null && echo "the virtual display runs; its log:" ||
      echo "the virtual display has ended; its log:"
    cat "$tmp/xvfb.log"
    exit 1
  }
  # Painted once the title strip and a dark peg show the resting picture and the switch its lit
  # one (the pegs and the switch are painted after the background).
  for _ in $(seq 300); do
    import -window "$id" "$tmp/$shot.png" 2>/dev/null && shows_ukulele "$tmp/$shot.png" && break
    sleep 0.1
  done
}
# Once its sound libraries are loaded (the device is opened after the first paint).
sound_loaded() {
  for _ in $(seq 300); do grep -q libSDL2 "/proc/$app/maps" 2>/dev/null && return; sleep 0.1; done
  echo "the sound libraries were never loaded"; exit 1
}
# Closes the window as a user would: the program must end.
close() {
  "$closer" "Veltrosan Tuner" >/dev/null
  for _ in $(seq 300); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$app" 2>/dev/null; then echo "closing the window did not end the program"; exit 1; fi
  wait "$app"; status=$?
  app=""
  [ "$status" = 0 ] || { echo "the program ended with status $status"; cat "$tmp"/*.log; exit 1; }
}

# Without a sound server the program says nothing on the terminal, not even once its sound
# libraries have tried every way out (closing waits for that attempt to end).
PULSE_SERVER="unix:$tmp/no-server" start plain
sound_loaded
close
[ ! -s "$tmp/plain.log" ] || { echo "the program printed:"; cat "$tmp/plain.log"; exit 1; }

# Qt's own options change nothing: the window looks as after a plain start.
start argued -reverse -style windows -qwindowgeometry 100x100+0+0 -platform offscreen "an argument"
[ "$(compare -metric AE "$tmp/plain.png" "$tmp/argued.png" null: 2>&1)" = "0" ] ||
  { echo "arguments changed what the window shows"; exit 1; }
size="$(identify -format '%wx%h' "$tmp/argued.png")"
[ "$size" = "384x550" ] || { echo "window client area is $size"; exit 1; }

# The title strip and a dark peg show Ukulele's resting picture; the switch its lit one.
shows_ukulele "$tmp/plain.png" || { echo "the window does not show Ukulele at rest"; exit 1; }
[ -n "$keep" ] && cp "$tmp/plain.png" "$keep"
close

# A signal ends it too (at logout, from a service manager), also once its sound device is open.
start signalled
sound_loaded
kill -TERM "$app"
for _ in $(seq 100); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$app" 2>/dev/null; then echo "SIGTERM did not end the program"; exit 1; fi
app=""
echo "installed program ran, showed Ukulele, ignored its arguments, ended when closed and on SIGTERM"
