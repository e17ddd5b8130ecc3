#!/usr/bin/env python3
"""Plants each fault of faults.tsv, one at a time, in a copy of the tree and runs the tests
against it; writes docs/fault-table.md. Started by tests/faults/run, which gives it a sound server.

The tests mirror the libraries, so a fault is first run against the tests that the build says it
touches: the test programs that link the file that was changed (and, where a program or the
sample instruments change too, every test, since tests run those). They run one at a time until
one fails, that one again: first those that killed the fault in the last table, then those of the
file's own folder, then the quickest. A fault is killed only when it fails both times (once of
two: flaky). A fault that those tests miss is run against the whole suite twice. The output of
every failing run is kept in logs/.
"""
import os
import re
import subprocess
import sys
import time
from datetime import datetime, timezone
from pathlib import Path

SRC = Path(sys.argv[1])
WORK = Path(sys.argv[2])
# Some faults alone (F80,F81): run, but no table written.
ONLY = set(sys.argv[3].split(",")) if len(sys.argv) > 3 and sys.argv[3] else None
BUILD = WORK / "build"
LOGS = WORK / "logs"
SCRIPTS = set()
# The long tests run shorter here: each still does what it does, fewer times.
ENV = dict(os.environ, TUNER_SOAK_ACTIONS="2000", TUNER_SOAK_CYCLES="24")


def run(args, log=None, **kw):
    out = subprocess.run(args, cwd=BUILD, env=ENV, text=True, stdout=subprocess.PIPE,
                         stderr=subprocess.STDOUT, **kw)
    if log is not None and out.returncode != 0:
        (LOGS / log).write_text(out.stdout)
    return out


def build(*targets):
    args = ["cmake", "--build", str(BUILD)] + [a for t in targets for a in ("--target", t)]
    return run(args).returncode == 0


def ctest(pattern, log):
    """Whether the tests matching pattern all pass; the failing ones' names."""
    out = run(["ctest", "-j2", "--timeout", "300", "--output-on-failure", "-R", pattern], log)
    failed = re.findall(r"^\s*\d+ - (\S+) \(", out.stdout, re.M)
    return out.returncode == 0, failed


def tests_and_sources():
    """Every test by name, with the folder of its source (tests/<folder>/...)."""
    text = (SRC / "tests/CMakeLists.txt").read_text()
    found = {name: str(Path(source).parent)
             for name, source in re.findall(r"^tuner_test\((\w+) (\S+)", text, re.M)}
    for name in re.findall(r"^add_test\(NAME (\w+)", text, re.M):
        SCRIPTS.add(name)  # no program of its own: it runs the programs
        found.setdefault(name, "tools")
    return found


def durations():
    """Seconds each test took in the last run, as ctest keeps them."""
    cost = BUILD / "Testing/Temporary/CTestCostData.txt"
    times = {}
    for line in cost.read_text().splitlines() if cost.exists() else []:
        parts = line.split()
        if len(parts) == 3:
            times[parts[0]] = float(parts[2])
    return times


def touched(tests):
    """The tests the build would relink after the change; every test where a program or the
    sample instruments would be made anew."""
    plan = run(["ninja", "-n"]).stdout
    made = set(re.findall(r"Linking CXX executable (?:\S*/)?(\S+)", plan))
    if made - set(tests) or "Tunes" in plan:
        return list(tests)
    return [t for t in tests if t in made]


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


def verdict(fault_id, file, tests, times, first):
    """killed (tests), flaky (...) or survived."""
    for test in ranked(touched(tests), file, tests, times, first):
        # A test with a program of its own is built alone; one without (a script) needs all.
        if not build(test if test not in SCRIPTS else "all"):
            sys.exit(f"{fault_id} does not build")
        ok, _ = ctest(f"^{test}$", f"{fault_id}-1-{test}.log")
        if ok:
            continue
        again, _ = ctest(f"^{test}$", f"{fault_id}-2-{test}.log")
        return f"killed ({test})" if not again else f"flaky (failed once: {test})"
    build()
    first = ctest(".", f"{fault_id}-1.log")[1]
    second = ctest(".", f"{fault_id}-2.log")[1]
    if first and second:
        return "killed (%s)" % ", ".join(sorted(set(first + second)))
    if first or second:
        return "flaky (failed once: %s)" % ", ".join(first + second)
    return "survived"


def main():
    start = time.monotonic()
    commit = source_commit()  # the tree was copied just before: a commit made during the run is not it
    LOGS.mkdir(parents=True, exist_ok=True)
    if not build():
        sys.exit("the unmutated tree does not build")
    ok, failed = ctest(".", "baseline.log")
    if not ok:
        sys.exit(f"the unmutated suite fails ({', '.join(failed)}): no fault is planted")
    tests, times, previous = tests_and_sources(), durations(), killers()
    rows = []
    for line in (SRC / "tests/faults/faults.tsv").read_text().splitlines():
        if line.startswith("#") or not line.strip():
            continue
        fault_id, file, fault, old, new, *rest = line.split("\t")
        if ONLY is not None and fault_id not in ONLY:
            continue
        equivalent = rest[0] if rest else ""
        path = WORK / file
        original = plant(path, old.replace("⏎", "\n"), new.replace("⏎", "\n"))
        if original is None:
            sys.exit(f"{fault_id} does not plant at exactly one place")
        began = time.monotonic()
        result = verdict(fault_id, file, tests, times, previous.get(fault_id, ()))
        path.write_text(original)
        rows.append((fault_id, file, fault, result, equivalent))
        print("\t".join(rows[-1]), f"{time.monotonic() - began:.0f} s", sep="\t", flush=True)
    build()
    if ONLY is None:
        write_table(rows, time.monotonic() - start, commit)


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
        "it changes (one at a time, those of its own folder first, until one fails; that one is run",
        "again), and where those miss it, against the whole suite twice. A fault is killed when it",
        "fails both times; the tests named failed.", "",
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
