#!/usr/bin/env python3
"""Plants each fault of faults.tsv, one at a time, in a copy of the tree and runs the tests
against it; writes docs/fault-table.md. Started by tests/faults/run, which copies the tree and
gives it a sound server.

The tests mirror the libraries, so a fault is first run against the tests that the build says it
touches: the test programs that link the file that was changed (and, where a program or the
sample instruments change too, every test, since tests run those). They run one at a time until
one fails, that one again: first those that killed the fault in the last table, then those of the
file's own folder, then the quickest. A test program runs one test function at a time, in its own
order, and stops at the first that fails: a fault that breaks a wait for the sound or the window
costs one wait, not one for every function it breaks, and the second run is that function alone.
The unmutated suite runs the same way, so every function is known to pass alone. A fault is
killed only when it fails both times (once of two: flaky). A fault that those tests miss runs
the whole suite; where that fails, once more. The output of every failing run is kept in logs/.

Most of a fault's time is spent waiting for sound and windows, not computing, so two faults run
at once, each in a copy of the tree with a build and a sound server of its own (a test that
listens to the sink must hear its own tree's sound, not the other's). tests/faults/run starts the
servers and names their folders in TUNER_FAULT_SOUND_HOMES.
"""
import json
import os
import queue
import re
import shutil
import subprocess
import sys
import threading
import time
from datetime import datetime, timezone
from pathlib import Path

SRC = Path(sys.argv[1])
WORK = Path(sys.argv[2])
# Some faults alone (F80,F81): run, but no table written.
ONLY = set(sys.argv[3].split(",")) if len(sys.argv) > 3 and sys.argv[3] else None
LOGS = WORK / "logs"
SOUND_HOMES = os.environ["TUNER_FAULT_SOUND_HOMES"].split()
# The long tests run shorter here: each still does what it does, fewer times.
ENV = dict(os.environ, TUNER_SOAK_ACTIONS="2000", TUNER_SOAK_CYCLES="24")
CONFIGURE = ["-G", "Ninja", "-DCMAKE_BUILD_TYPE=Release", "-DTUNER_BUILD_TESTS=ON",
             "-DTUNER_WERROR=OFF"]
SCRIPTS = set()  # tests run through ctest: scripts, and programs that are not QtTest
FUNCTIONS = {}  # QtTest program: its test functions, in its own order
print_lock = threading.Lock()


class Tree:
    """A copy of the source tree with a release build of its own; one fault at a time."""

    def __init__(self, root, sound_home):
        self.root, self.build_dir = root, root / "build"
        self.env = dict(ENV, HOME=sound_home, XDG_RUNTIME_DIR=f"{sound_home}/runtime")
        self.programs = {}  # test name: (command, environment, folder, timeout), as ctest runs it

    def run(self, args, log=None, timeout=None):
        try:
            out = subprocess.run(args, cwd=self.build_dir, env=self.env, text=True, timeout=timeout,
                                 stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
            ok, text = out.returncode == 0, out.stdout
        except subprocess.TimeoutExpired as late:  # its output comes as bytes, whatever text says
            ok, text = False, (late.output or b"").decode(errors="replace") + "\ntimed out"
        if log is not None and not ok:
            (LOGS / log).write_text(text)
        return ok, text

    def configure(self):
        return subprocess.run(["cmake", "-S", str(self.root), "-B", str(self.build_dir)] + CONFIGURE,
                              env=self.env, capture_output=True).returncode == 0

    def build(self, *targets):
        return self.run(["cmake", "--build", str(self.build_dir)] +
                        [a for t in targets for a in ("--target", t)])[0]

    def ctest(self, pattern, log):
        """Whether the tests matching pattern all pass; the failing ones' names."""
        ok, text = self.run(["ctest", "-j2", "--timeout", "300", "--output-on-failure",
                             "-R", pattern], log)
        failed = re.findall(r"^\s*\d+ - (\S+) \(", text, re.M)
        return ok, failed or ([] if ok else ["ctest"])

    def read_programs(self, tests):
        for test in json.loads(self.run(["ctest", "--show-only=json-v1"])[1])["tests"]:
            name, props = test["name"], {p["name"]: p["value"] for p in test.get("properties", [])}
            if name not in tests or name in SCRIPTS or "command" not in test:
                SCRIPTS.add(name)
                continue
            env = dict(self.env, **dict(v.split("=", 1) for v in props.get("ENVIRONMENT", [])))
            self.programs[name] = (test["command"], env,
                                   props.get("WORKING_DIRECTORY", str(self.build_dir)),
                                   float(props.get("TIMEOUT", 300)))

    def function_fails(self, test, function, log):
        command, env, folder, timeout = self.programs[test]
        try:
            out = subprocess.run(command + [function], cwd=folder, env=env, text=True,
                                 stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=timeout)
            failed, text = out.returncode != 0, out.stdout
        except subprocess.TimeoutExpired as late:
            failed, text = True, (late.output or b"").decode(errors="replace") + "\ntimed out"
        if failed:
            (LOGS / log).write_text(text)
        return failed

    def first_failure(self, test, log):
        """The first function of a test program that fails, or None; a script: the script."""
        if test in SCRIPTS:
            return None if self.ctest(f"^{test}$", f"{log}.log")[0] else test
        for function in FUNCTIONS[test]:
            if self.function_fails(test, function, f"{log}-{function}.log"):
                return function
        return None

    def fails_again(self, test, function, log):
        if test in SCRIPTS:
            return not self.ctest(f"^{test}$", f"{log}.log")[0]
        return self.function_fails(test, function, f"{log}-{function}.log")

    def touched(self, tests):
        """The tests the build would relink after the change; every test where a program or the
        sample instruments would be made anew."""
        plan = self.run(["ninja", "-n"])[1]
        made = set(re.findall(r"Linking CXX executable (?:\S*/)?(\S+)", plan))
        if made - set(tests) or "Tunes" in plan:
            return list(tests)
        return [t for t in tests if t in made]


def functions(tree, test):
    command, env, folder, _ = tree.programs[test]
    out = subprocess.run(command + ["-functions"], cwd=folder, env=env, text=True,
                         capture_output=True)
    return [line.strip()[:-2] for line in out.stdout.splitlines() if line.strip().endswith("()")]


def tests_and_sources():
    """Every test by name, with the folder of its source (tests/<folder>/...)."""
    text = (SRC / "tests/CMakeLists.txt").read_text()
    found = {name: str(Path(source).parent)
             for name, source in re.findall(r"^tuner_test\((\w+) (\S+)", text, re.M)}
    for name in re.findall(r"^add_test\(NAME (\w+)", text, re.M):
        SCRIPTS.add(name)  # no program of its own: it runs the programs
        found.setdefault(name, "tools")
    return found


def baseline(tree):
    """The unmutated suite, each program a function at a time: what fails, and each test's seconds."""
    for test in list(tree.programs):
        FUNCTIONS[test] = functions(tree, test)
        if not FUNCTIONS[test]:  # not QtTest: ctest runs it whole
            SCRIPTS.add(test)
    ok, failed = tree.ctest("^(" + "|".join(sorted(SCRIPTS)) + ")$", "baseline.log")
    failed = [] if ok else failed
    cost = tree.build_dir / "Testing/Temporary/CTestCostData.txt"
    times = {parts[0]: float(parts[2]) for parts in
             (line.split() for line in (cost.read_text().splitlines() if cost.exists() else []))
             if len(parts) == 3}
    for test in FUNCTIONS:
        if test in SCRIPTS:
            continue
        began = time.monotonic()
        function = tree.first_failure(test, f"baseline-{test}")
        times[test] = time.monotonic() - began
        if function is not None:
            failed.append(f"{test} {function}")
    return failed, times


def killers():
    """The tests that killed each fault in the last table: they are run first this time."""
    table = SRC / "docs/fault-table.md"
    found = {}
    for fault_id, names in re.findall(r"^\| (F\d+) .*\| killed \(([^)]*)\) \|$",
                                      table.read_text() if table.exists() else "", re.M):
        found[fault_id] = [n.strip() for n in names.split(",")]
    return found


def ranked(candidates, file, tests, times, first=()):
    folder = Path(file).parent.parts

    def shared(test):
        parts = Path(tests[test]).parts
        n = 0
        while n < min(len(parts), len(folder)) and parts[n] == folder[n]:
            n += 1
        return n
    return sorted(candidates, key=lambda t: (t not in first, -shared(t), times.get(t, 1e9)))


def plant(path, old, new):
    text = path.read_text()
    if text.count(old) != 1:
        return None
    path.write_text(text.replace(old, new))
    return text


def verdict(tree, fault_id, file, tests, times, first):
    """killed (tests), flaky (...) or survived."""
    for test in ranked(tree.touched(tests), file, tests, times, first):
        # A test with a program of its own is built alone; one without (a script) needs all.
        if not tree.build(test if test in tree.programs else "all"):
            return None
        function = tree.first_failure(test, f"{fault_id}-1-{test}")
        if function is None:
            continue
        if tree.fails_again(test, function, f"{fault_id}-2-{test}"):
            return f"killed ({test})"
        return f"flaky (failed once: {test})"
    if not tree.build():
        return None
    first = tree.ctest(".", f"{fault_id}-1.log")[1]
    if not first:
        return "survived"
    second = tree.ctest(".", f"{fault_id}-2.log")[1]
    if second:
        return "killed (%s)" % ", ".join(sorted(set(first + second)))
    return "flaky (failed once: %s)" % ", ".join(first)


def worker(tree, jobs, results, tests, times, previous):
    while True:
        try:
            index, (fault_id, file, fault, old, new, equivalent) = jobs.get_nowait()
        except queue.Empty:
            return
        path = tree.root / file
        original = plant(path, old.replace("⏎", "\n"), new.replace("⏎", "\n"))
        if original is None:
            results[index] = (fault_id, "does not plant at exactly one place")
            continue
        began = time.monotonic()
        result = verdict(tree, fault_id, file, tests, times, previous.get(fault_id, ()))
        path.write_text(original)
        if result is None:
            results[index] = (fault_id, "does not build")
            continue
        results[index] = (fault_id, file, fault, result, equivalent)
        with print_lock:
            print("\t".join(results[index]), f"{time.monotonic() - began:.0f} s", sep="\t",
                  flush=True)


def copy_tree(tree):
    """Another copy beside the first, without its build and logs."""
    shutil.copytree(WORK, tree.root, symlinks=True,
                    ignore=lambda folder, names: ["build", "logs"] if Path(folder) == WORK else [])


def main():
    start = time.monotonic()
    commit = source_commit()  # the tree was copied just before: a commit made during the run is not it
    shutil.rmtree(LOGS, ignore_errors=True)
    LOGS.mkdir(parents=True)
    trees = [Tree(WORK if n == 1 else WORK.parent / f"{WORK.name}-{n}", home)
             for n, home in enumerate(SOUND_HOMES, 1)]
    for tree in trees[1:]:
        shutil.rmtree(tree.root, ignore_errors=True)
        copy_tree(tree)
    if not trees[0].configure() or not trees[0].build():
        sys.exit("the unmutated tree does not build")
    # The other copies build while the unmutated suite runs in the first.
    others_built = []
    builder = threading.Thread(target=lambda: others_built.extend(
        t.configure() and t.build() for t in trees[1:]))
    builder.start()
    tests = tests_and_sources()
    trees[0].read_programs(tests)
    failed, times = baseline(trees[0])
    builder.join()
    if failed:
        sys.exit(f"the unmutated suite fails ({', '.join(failed)}): no fault is planted")
    if not all(others_built):
        sys.exit("a second copy of the tree does not build")
    for tree in trees[1:]:
        tree.read_programs(tests)
    previous = killers()
    jobs = queue.Queue()
    for line in (SRC / "tests/faults/faults.tsv").read_text().splitlines():
        if line.startswith("#") or not line.strip():
            continue
        fault_id, file, fault, old, new, *rest = line.split("\t")
        if ONLY is None or fault_id in ONLY:
            jobs.put((jobs.qsize(), (fault_id, file, fault, old, new, rest[0] if rest else "")))
    results = [None] * jobs.qsize()
    threads = [threading.Thread(target=worker, args=(t, jobs, results, tests, times, previous))
               for t in trees]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    broken = [r for r in results if len(r) == 2]
    if broken:
        sys.exit("; ".join(f"{r[0]} {r[1]}" for r in broken))
    if ONLY is None:
        write_table(results, time.monotonic() - start, commit)


def source_commit():
    commit = subprocess.run(["git", "-C", str(SRC), "rev-parse", "--short", "HEAD"],
                            text=True, capture_output=True).stdout.strip()
    dirty = subprocess.run(["git", "-C", str(SRC), "status", "--porcelain", "--", ".",
                            ":!docs/fault-table.md"], text=True, capture_output=True).stdout
    return commit + (" with uncommitted changes" if dirty.strip() else "")


def write_table(rows, seconds, commit):
    real = [r for r in rows if not r[4]]
    killed = sum(r[3].startswith("killed") for r in real)
    lines = [
        "# Faults planted to check the tests", "",
        f"Written by `tests/faults/run` on commit {commit} "
        f"({datetime.now(timezone.utc):%Y-%m-%d}, {seconds / 60:.0f} minutes); do not edit by hand.",
        "Each fault of `tests/faults/faults.tsv` was planted alone in a copy of the tree, built",
        "(release) and run with a private sound server: first against the tests that link the file",
        "it changes (one at a time, those of its own folder first, a test program one function at a",
        "time, until one fails; that one is run again), and where those miss it, against the whole",
        "suite (again where it fails). A fault is killed when it fails both times; the tests named",
        "failed.", "",
        "| fault | where | result |", "|---|---|---|",
    ]
    lines += [f"| {r[0]} {r[2]} | `{r[1]}` | {r[3]} |" for r in real]
    lines += ["", "## Equivalent faults", "",
              "Planted and run like the others; they change nothing a user can meet, for the reason given.",
              "", "| fault | where | why it is equivalent | result |", "|---|---|---|---|"]
    lines += [f"| {r[0]} {r[2]} | `{r[1]}` | {r[4]} | {r[3]} |" for r in rows if r[4]]
    lines += ["", f"{killed} of {len(real)} faults that are not equivalent killed."]
    (SRC / "docs/fault-table.md").write_text("\n".join(lines) + "\n")
    print(lines[-1])


if __name__ == "__main__":
    main()
