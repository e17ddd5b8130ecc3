# Sourced by scripts: a private PulseAudio server with a null sink in a folder of its own, whose
# monitor is the default capture source. start_sound_server sets HOME and XDG_RUNTIME_DIR for it
# and exports TUNER_TEST_SINK_MONITOR; stop_sound_server ends it. The first stream on an idle
# null sink starts late, so a silent stream keeps the sink running.
# The tests that add and remove devices start servers of their own
# (tests/support/sound/private_server.h).
sound_home=""; sound_pid=""; sound_keepalive=""
start_sound_server() {
  sound_home="$(mktemp -d /tmp/tuner-pulse.XXXXXX)"
  mkdir -p "$sound_home/runtime"
  chmod 700 "$sound_home/runtime"
  export HOME="$sound_home" XDG_RUNTIME_DIR="$sound_home/runtime"
  unset PULSE_SERVER
  pulseaudio --daemonize=yes --exit-idle-time=-1 --system=false --disallow-exit -n \
    --load=module-native-protocol-unix --load="module-null-sink sink_name=nullsink" \
    --log-target=file:"$sound_home/pulse.log" 2>/dev/null
  for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
  sound_pid="$(cat "$XDG_RUNTIME_DIR/pulse/pid" 2>/dev/null || true)"
  pactl set-default-sink nullsink
  pactl set-default-source nullsink.monitor
  pacat --playback --raw --format=s16le --rate=48000 --channels=2 </dev/zero &
  sound_keepalive=$!
  export TUNER_TEST_SINK_MONITOR=nullsink.monitor
}
stop_sound_server() {
  [ -n "$sound_keepalive" ] && kill "$sound_keepalive" 2>/dev/null || true
  for pid in $sound_pid; do
    kill "$pid" 2>/dev/null || true
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  done
  [ -n "$sound_home" ] && rm -rf "$sound_home"
  sound_home=""; sound_pid=""; sound_keepalive=""
}
