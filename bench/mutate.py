#!/usr/bin/env python3
# The mutation check: plants each fault of bench/mutations.txt, one at a time, in a scratch copy
# of the sources, rebuilds, runs the release build's suite and tells which faults it misses.
"""Usage: bench/mutate.py [--rev REV] [--only ID,ID...] [--out FILE] [--skip REGEX]

Copies the sources (REV through `git archive`, else the working tree's tracked and untracked,
not ignored files as they are now) into a scratch folder under /tmp, builds them once (Release),
runs the suite unmutated (it must pass), then for each fault: applies it, builds, runs the suite
and restores the file. The suite runs under one xvfb-run in two stages: the fast tests (-j2),
then, when they all pass, the tests labelled e2e or program; both stop at the first failure.
A failure counts only when the failing tests fail again on a second run of just those tests.
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
TABLE = os.path.join(ROOT, "bench", "mutations.txt")
CTEST = "ctest --test-dir build --stop-on-failure --timeout 240 --output-on-failure"
LINE_BREAK = "\u23ce"  # ⏎ in OLD or NEW: a fault across lines (a restore among lines alike)
SKIP = ""  # --skip: ctest's -E, for tests that cannot meet a scene fault (the package build)


def suite():
    skip = f" -E '{SKIP}'" if SKIP else ""
    return (f"{CTEST}{skip} -j2 -LE 'e2e|program' > fast.log 2>&1 || exit 1; "
            f"{CTEST}{skip} -L 'e2e|program' > slow.log 2>&1 || exit 2")


def load_faults(path):
    faults = []
    with open(path, encoding="utf-8") as table:
        for number, line in enumerate(table, 1):
            line = line.rstrip("\n")
            if not line.strip() or line.startswith("#"):
                continue
            fields = line.split("\t")
            if len(fields) != 5:
                sys.exit(f"{path}:{number}: expected 5 tab-separated fields, got {len(fields)}")
            fields[2:4] = [text.replace(LINE_BREAK, "\n") for text in fields[2:4]]
            faults.append(dict(zip(("id", "file", "old", "new", "what"), fields)))
    return faults


def copy_sources(rev, dest):
    if rev:
        archive = subprocess.run(["git", "-C", ROOT, "archive", rev], check=True,
                                 stdout=subprocess.PIPE).stdout
        subprocess.run(["tar", "-x", "-C", dest], input=archive, check=True)
        return
    listing = subprocess.run(["git", "-C", ROOT, "ls-files", "-z", "--cached", "--others",
                              "--exclude-standard"], check=True, stdout=subprocess.PIPE).stdout
    for name in sorted(set(listing.decode().split("\0")) - {""}):
        source = os.path.join(ROOT, name)
        if not os.path.lexists(source):
            continue  # deleted in the working tree, not yet in the index
        target = os.path.join(dest, name)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        shutil.copy2(source, target, follow_symlinks=False)


def run(command, cwd, log):
    with open(log, "w") as out:
        return subprocess.run(command, cwd=cwd, shell=True, stdout=out,
                              stderr=subprocess.STDOUT).returncode


def build(scratch):
    return run("cmake --build build -j2", scratch, os.path.join(scratch, "build.log")) == 0


def failed_tests(scratch):
    """Names of the tests the last ctest run saw fail."""
    path = os.path.join(scratch, "build", "Testing", "Temporary", "LastTestsFailed.log")
    if not os.path.exists(path):
        return []
    with open(path) as log:
        return [line.strip().split(":", 1)[-1] for line in log if line.strip()]


def run_suite(scratch, commands=None):
    """Runs the suite; returns (0 passed, 1 a fast test failed, 2 a slow one, failing tests)."""
    stale = os.path.join(scratch, "build", "Testing", "Temporary", "LastTestsFailed.log")
    if os.path.exists(stale):
        os.remove(stale)
    commands = commands or suite()
    status = run(f"xvfb-run -a -s '-screen 0 1280x1024x24' sh -c \"{commands}\"", scratch,
                 os.path.join(scratch, "xvfb.log"))
    return status, failed_tests(scratch) if status else []


def judge_suite(scratch):
    """Runs the suite; returns ("missed" | "caught" | "unsure", tests). Some tests wait on timed
    events of the real program on a shared machine: a failure counts only when the failing tests
    fail again when run once more; one that does not is noted as flaky and the suite run again."""
    flaky = []
    for _ in range(2):
        stage, failing = run_suite(scratch)
        if stage == 0:
            return "missed", flaky
        if not failing:
            return "caught", ["(no test named)"]
        names = "|".join(failing).replace(".", "[.]")
        again, _ = run_suite(scratch, f"{CTEST} -R '^({names})$' > again.log 2>&1 || exit 1")
        if again != 0:
            return "caught", failing
        flaky += ["flaky " + name for name in failing]
    return "unsure", flaky


def tail(path, lines=40):
    if not os.path.exists(path):
        return ""
    with open(path, errors="replace") as log:
        return "".join(log.readlines()[-lines:])


def try_fault(scratch, fault):
    """Applies one fault, builds, runs the suite, restores; returns (status, failing tests)."""
    path = os.path.join(scratch, "src", fault["file"])
    if not os.path.exists(path):
        return "not applicable", []
    with open(path, encoding="utf-8") as source:
        original = source.read()
    if original.count(fault["old"]) != 1:
        return "not applicable", []
    try:
        with open(path, "w", encoding="utf-8") as source:
            source.write(original.replace(fault["old"], fault["new"]))
        if not build(scratch):
            return "did not build", []
        return judge_suite(scratch)
    finally:
        with open(path, "w", encoding="utf-8") as source:  # a new write: make sees the change
            source.write(original)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--rev", help="git revision to copy instead of the working tree")
    parser.add_argument("--only", help="comma-separated fault IDs to run")
    parser.add_argument("--out", help="write a TSV: ID, status, failing tests, seconds")
    parser.add_argument("--skip", help="regular expression of tests not to run (ctest -E)")
    args = parser.parse_args()
    global SKIP
    SKIP = args.skip or ""

    faults = load_faults(TABLE)
    if args.only:
        wanted = args.only.split(",")
        unknown = set(wanted) - {f["id"] for f in faults}
        if unknown:
            sys.exit(f"unknown fault IDs: {', '.join(sorted(unknown))}")
        faults = [f for f in faults if f["id"] in wanted]

    started = time.monotonic()
    scratch = tempfile.mkdtemp(prefix="krateon-mutate-", dir="/tmp")
    os.environ["SDL_AUDIODRIVER"] = "dummy"
    try:
        os.mkdir(os.path.join(scratch, "src"))
        copy_sources(args.rev, os.path.join(scratch, "src"))
        print(f"sources of {args.rev or 'the working tree'} in {scratch}", flush=True)
        if run("cmake -S src -B build -DCMAKE_BUILD_TYPE=Release -DKRATEON_WERROR=OFF", scratch,
               os.path.join(scratch, "configure.log")) != 0 or not build(scratch):
            print(tail(os.path.join(scratch, "configure.log")) +
                  tail(os.path.join(scratch, "build.log")))
            sys.exit("the unmutated sources do not build")
        clean_start = time.monotonic()
        verdict, failing = judge_suite(scratch)
        if verdict != "missed":
            for log in ("fast.log", "slow.log", "again.log"):
                print(tail(os.path.join(scratch, log)))
            sys.exit(f"the unmutated suite fails: {', '.join(failing) or 'see above'}")
        flaky = f", {', '.join(failing)}" if failing else ""
        print(f"unmutated suite passes ({time.monotonic() - clean_start:.0f} s{flaky})", flush=True)

        results = []
        for number, fault in enumerate(faults, 1):
            fault_start = time.monotonic()
            status, failing = try_fault(scratch, fault)
            seconds = time.monotonic() - fault_start
            results.append((fault, status, failing, seconds))
            by = f" {'by' if status == 'caught' else '-'} {', '.join(failing)}" if failing else ""
            print(f"[{number:2}/{len(faults)}] {fault['id']}: {status}{by} ({seconds:.0f} s)",
                  flush=True)
    finally:
        shutil.rmtree(scratch, ignore_errors=True)

    if args.out:
        with open(args.out, "w") as out:
            out.write("id\tstatus\tfailing tests\tseconds\n")
            for fault, status, failing, seconds in results:
                out.write(f"{fault['id']}\t{status}\t{','.join(failing)}\t{seconds:.0f}\n")
    caught = sum(1 for r in results if r[1] == "caught")
    print(f"\ncaught {caught} / {len(results)}")
    for label in ("missed", "unsure", "did not build", "not applicable"):
        listed = [r[0] for r in results if r[1] == label]
        if listed:
            print(f"{label} ({len(listed)}):")
            for fault in listed:
                print(f"  {fault['id']}  {fault['file']}: {fault['what']}")
    print(f"wall time {time.monotonic() - started:.0f} s")


if __name__ == "__main__":
    main()
