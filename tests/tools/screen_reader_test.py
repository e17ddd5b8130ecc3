#!/usr/bin/python3
"""Runs the tuner from the unpacked Debian package on a virtual display with the accessibility
bus, and uses it as a screen reader user does: reads the names of its controls through AT-SPI,
changes the instrument with the keyboard, reaches a peg with Tab, presses it with Space and hears
its tone on the sound server; then closes the window, which must end the program. Then the
listening window: a string played into the sound server is read from its gauge, every control is
reached with Tab, and closing the window ends it too.

    screen_reader_test.py <package.deb> <close_window helper> [screenshot of the listening window]
"""
import math, os, struct, subprocess, sys, tempfile, time

import pyatspi

deb, closer = sys.argv[1], sys.argv[2]
work = tempfile.TemporaryDirectory()
started = []


def start(*command, **kwargs):
    process = subprocess.Popen(command, **kwargs)
    started.append(process)
    return process


def wait_for(what, probe, seconds=20):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        value = probe()
        if value:
            return value
        time.sleep(0.1)
    sys.exit("timed out waiting for " + what)


def tree(accessible):
    yield accessible
    for child in accessible:
        if child is not None:
            yield from tree(child)


def controls(app):
    """The push buttons by name, and the drop-downs by the label that names them."""
    buttons, drop_downs = {}, {}
    for a in tree(app):
        if a.getRole() == pyatspi.ROLE_PUSH_BUTTON:
            buttons[a.name] = a
        elif a.getRole() == pyatspi.ROLE_COMBO_BOX:
            for relation in a.getRelationSet():
                if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
                    drop_downs[relation.getTarget(0).name] = a
    return buttons, drop_downs


def focused(app):
    return next((a.name for a in tree(app) if a.getState().contains(pyatspi.STATE_FOCUSED)), None)


def key(name):
    subprocess.run(["xdotool", "key", name], check=True)


def tone_level(samples, frequency, rate=48000):
    """Amplitude of one frequency in 16-bit samples (Goertzel)."""
    c, s1, s2 = 2 * math.cos(2 * math.pi * frequency / rate), 0.0, 0.0
    for x in samples:
        s1, s2 = x / 32768 + c * s1 - s2, s1
    return 2 * math.sqrt(max(s1 * s1 + s2 * s2 - c * s1 * s2, 0)) / max(len(samples), 1)


try:
    subprocess.run(["dpkg-deb", "-x", deb, work.name], check=True)
    display_file = os.path.join(work.name, "display")
    with open(display_file, "w") as out:
        start("Xvfb", "-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset",
              stdout=out, stderr=subprocess.DEVNULL)
    display = wait_for("the display", lambda: open(display_file).read().strip())
    bus = subprocess.run(["dbus-daemon", "--session", "--fork", "--print-address=1",
                          "--print-pid=1"], check=True, capture_output=True, text=True)
    address, bus_pid = bus.stdout.split()
    os.environ.update(DISPLAY=":" + display, DBUS_SESSION_BUS_ADDRESS=address)
    os.environ.pop("QT_QPA_PLATFORM", None)
    tuner = start(os.path.join(work.name, "usr/bin/veltrosan-tuner"),
                  env=dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1"))

    desktop = pyatspi.Registry.getDesktop(0)
    app = wait_for("the tuner on the accessibility bus",
                   lambda: next((a for a in desktop if a and a.name == "Veltrosan Tuner"), None))
    buttons, drop_downs = wait_for("the named pegs", lambda: "1-G4" in controls(app)[0] and controls(app))
    expected = {"1-G4", "2-C4", "3-E4", "4-A4", "Peg 5 plays nothing", "Peg 6 plays nothing", "Loop"}
    assert expected <= set(buttons), sorted(buttons)
    assert "Instrument" in drop_downs, sorted(drop_downs)

    # With the keyboard alone: the first peg has the focus, Tab moves it on, and in the
    # Instrument drop-down Down chooses the next instrument after Ukulele.
    window = wait_for("the window", lambda: subprocess.run(
        ["xdotool", "search", "--onlyvisible", "--name", "Veltrosan Tuner"],
        capture_output=True, text=True).stdout.split())
    subprocess.run(["xdotool", "windowfocus", "--sync", window[0]], check=True)
    wait_for("the focus on peg 1", lambda: focused(app) == "1-G4")
    for _ in range(9):  # pegs 2 to 6, the switch, the two pictures, the drop-down
        key("Tab")
    wait_for("the focus on the drop-down", lambda: focused(app) == "Ukulele")
    key("Down")
    buttons, drop_downs = wait_for("the pegs named for Violin",
                                   lambda: "bowed-1-G3" in controls(app)[0] and controls(app))
    assert {"bowed-2-D4", "Peg 5 plays nothing", "Sound option"} <= set(buttons) | set(drop_downs)

    # Tab from the first peg to the second, Space presses it: its D4 loops on the sound server.
    buttons["bowed-1-G3"].queryComponent().grabFocus()
    key("Tab")
    wait_for("the focus on peg 2",
             lambda: buttons["bowed-2-D4"].getState().contains(pyatspi.STATE_FOCUSED))
    capture = start("parec", "--device=" + os.environ["TUNER_TEST_SINK_MONITOR"], "--raw",
                    "--format=s16le", "--rate=48000", "--channels=1", stdout=subprocess.PIPE)
    os.set_blocking(capture.stdout.fileno(), False)
    raw = bytearray()

    def captured_windows():
        """Reads what has arrived; the 100 ms windows of the last second, newest last."""
        raw.extend(capture.stdout.read() or b"")
        window = 9600  # 100 ms of 16-bit samples
        end = len(raw) // window * window
        return [raw[i:i + window] for i in range(max(0, end - 10 * window), end, window)]

    wait_for("the capture to run", lambda: len(captured_windows()) >= 2)
    key("space")
    wait_for("the peg's tone on the sound server", lambda: any(
        tone_level(struct.unpack("<4800h", w), 293.66) > 0.1 for w in captured_windows()))
    capture.terminate()

    subprocess.run([closer, "Veltrosan Tuner"], check=True, stdout=subprocess.DEVNULL)
    assert tuner.wait(timeout=20) == 0, "the program did not end cleanly"

    # The listening window on the ukulele, as the user left it, hearing the sink's monitor chosen
    # by name: string 3 (E4) played 4.5 cents flat into the sink.
    config = os.path.join(work.name, "config")
    os.makedirs(os.path.join(config, "Veltrosan Tuner"))
    with open(os.path.join(config, "Veltrosan Tuner", "Listen.conf"), "w") as kept:
        kept.write("[General]\ninstrument=Ukulele\ninput=%s\nchannel=-1\n"
                   % os.environ["TUNER_TEST_SINK_MONITOR"])
    listen = start(os.path.join(work.name, "usr/bin/veltrosan-tuner-listen"),
                   env=dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                            XDG_CONFIG_HOME=config))
    app = wait_for("the listening window on the accessibility bus", lambda: next(
        (a for a in desktop if a and a.name == "Veltrosan Tuner Listen"), None))
    rate, e4 = 48000, 329.6276 * 2 ** (-4.5 / 1200)
    tone = b"".join(struct.pack("<h", int(12000 * math.sin(2 * math.pi * e4 * n / rate)))
                    for n in range(rate * 30))
    player = start("pacat", "--raw", "--format=s16le", "--rate=48000", "--channels=1",
                   stdin=subprocess.PIPE)
    player.stdin.write(tone)
    player.stdin.flush()

    def gauge():
        return next((a for a in tree(app) if a.name.startswith(("String ", "Nothing heard"))), None)

    heard = wait_for("the string read from the gauge",
                     lambda: gauge() and gauge().name.startswith("String 3, E4, ") and gauge().name)
    cents = float(heard.split(", ")[2].split(" ")[0])
    assert heard.endswith("cents flat") and abs(cents - 4.5) <= 0.5, heard
    window = wait_for("the listening window", lambda: subprocess.run(
        [closer, "--find", "Veltrosan Tuner Listen"], capture_output=True, text=True).stdout.split())
    if len(sys.argv) > 3:
        subprocess.run(["import", "-window", window[0], sys.argv[3]], check=True)
    player.kill()
    subprocess.run(["xdotool", "windowfocus", "--sync", window[0]], check=True)
    reached = [focused(app)]  # Tab goes round the drop-downs and the gauge
    for _ in range(3):
        key("Tab")
        reached.append(wait_for("the focus to move on", lambda: focused(app) != reached[-1] and focused(app)))
    assert "Ukulele" in reached and any(n.startswith(("String", "Nothing")) for n in reached[1:]), reached
    subprocess.run([closer, "Veltrosan Tuner Listen"], check=True, stdout=subprocess.DEVNULL)
    assert listen.wait(timeout=20) == 0, "the listening window did not end cleanly"
    subprocess.run(["kill", bus_pid])
    print("screen reader read the pegs, the switch and the drop-downs; Tab and Space played a peg;"
          " the listening window read a string played into the sound server")
finally:
    for process in reversed(started):
        if process.poll() is None:
            process.kill()
