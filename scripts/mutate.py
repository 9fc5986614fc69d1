#!/usr/bin/env python3
"""Puts one-line faults into a scratch copy of the tree, one at a time, and
says for each whether the tests meant to guard that line catch it.

    scripts/mutate.py [--list FILE] [--dir DIR] [--only NAME[,NAME...]] [--jobs N]

Each mutation in the list (scripts/mutations.txt by default) names a file, a
line of it (the text must be found on exactly one line), the text that
replaces it and the tests to run: a GoogleTest filter for vortalis_tests, or
"ctest: REGEX". For every mutation the script copies nothing anew: it edits
the file in the scratch copy (DIR/src, made from the working tree at the
first run and refreshed from it at every run), builds DIR/build
incrementally, runs the tests, and puts the line back.

  caught     the tests failed (or timed out) with the fault in
  SURVIVED   the tests passed with the fault in
  no build   the mutated tree did not compile (a bad mutation, not a score)

Before any fault goes in, every distinct set of tests runs once on the
unmutated copy: a set that fails there would make its mutations look caught,
so the script stops. The score is caught / (caught + survived). Exit status
0 when every mutation was caught, 1 when one survived, 2 on an error.
"""
import argparse
import os
import shutil
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
TEST_TIMEOUT = 900


class Mutation:
    def __init__(self, name, what, where):
        self.name, self.what, self.where = name, what, where
        self.file = self.from_text = self.to_text = self.tests = None


def read_list(path):
    mutations, current = [], None
    with open(path, encoding="utf-8") as f:
        for number, raw in enumerate(f, 1):
            line = raw.rstrip("\n")
            where = f"{path}:{number}"
            if not line.strip() or line.lstrip().startswith("#"):
                continue
            if line.startswith("@"):
                name, _, what = line[1:].partition(":")
                current = Mutation(name.strip(), what.strip(), where)
                mutations.append(current)
                continue
            key, sep, value = line.partition(":")
            key = key.strip()
            if current is None or not sep or key not in ("file", "from", "to", "tests"):
                sys.exit(f"mutate: {where}: expected '@ name: what' or file:/from:/to:/tests:, got {line!r}")
            setattr(current, {"from": "from_text", "to": "to_text"}.get(key, key), value.strip())
    for m in mutations:
        for key in ("file", "from_text", "to_text", "tests"):
            if getattr(m, key) is None:
                sys.exit(f"mutate: {m.where}: mutation {m.name} has no {key.replace('_text', '')}:")
    names = [m.name for m in mutations]
    if len(set(names)) != len(names):
        sys.exit("mutate: two mutations share a name")
    return mutations


def refresh_copy(src):
    """The working tree (without builds and git) over DIR/src. Files whose
    bytes did not change keep their times, so the build stays incremental."""
    os.makedirs(src, exist_ok=True)
    listed = subprocess.run(["git", "-C", ROOT, "ls-files", "-z", "--cached", "--others", "--exclude-standard"],
                            check=True, capture_output=True).stdout.decode().split("\0")
    wanted = set()
    for rel in filter(None, listed):
        source = os.path.join(ROOT, rel)
        if not os.path.isfile(source):
            continue
        wanted.add(rel)
        target = os.path.join(src, rel)
        with open(source, "rb") as f:
            data = f.read()
        try:
            with open(target, "rb") as f:
                if f.read() == data:
                    continue
        except OSError:
            pass
        os.makedirs(os.path.dirname(target), exist_ok=True)
        with open(target, "wb") as f:
            f.write(data)
        shutil.copymode(source, target)
    for folder, _, files in os.walk(src):
        for name in files:
            rel = os.path.relpath(os.path.join(folder, name), src)
            if rel not in wanted:
                os.remove(os.path.join(folder, name))


def run(command, cwd, log, timeout=None, append=False):
    started = time.monotonic()
    with open(log, "a" if append else "w") as out:
        try:
            code = subprocess.run(command, cwd=cwd, stdout=out, stderr=subprocess.STDOUT, timeout=timeout).returncode
        except subprocess.TimeoutExpired:
            code = "timeout"
    return code, time.monotonic() - started


def test_command(tests, build):
    if tests.startswith("ctest:"):
        return ["ctest", "--test-dir", build, "--output-on-failure", "--no-tests=error",
                "-R", tests[len("ctest:"):].strip()]
    return [os.path.join(build, "tests", "vortalis_tests"), "--gtest_filter=" + tests]


def skipped(log):
    """Whether a run that passed left a test out: a skipped test would make
    its mutations survive for a reason that has nothing to do with them."""
    with open(log, errors="replace") as f:
        text = f.read()
    return "[  SKIPPED ]" in text or "***Skipped" in text or "[  PASSED  ] 0 tests" in text


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--list", default=os.path.join(ROOT, "scripts", "mutations.txt"))
    parser.add_argument("--dir", default=os.path.join(ROOT, "build-mutate"))
    parser.add_argument("--only", default="", help="comma-separated mutation names")
    parser.add_argument("--jobs", default=str(os.cpu_count() or 2))
    args = parser.parse_args()

    mutations = read_list(args.list)
    if args.only:
        keep = set(args.only.split(","))
        unknown = keep - {m.name for m in mutations}
        if unknown:
            sys.exit(f"mutate: no mutation named {', '.join(sorted(unknown))}")
        mutations = [m for m in mutations if m.name in keep]

    src, build, logs = (os.path.join(args.dir, d) for d in ("src", "build", "logs"))
    os.makedirs(logs, exist_ok=True)
    refresh_copy(src)

    # Every line must be where the list says before anything is built.
    originals = {}
    for m in mutations:
        path = os.path.join(src, m.file)
        if not os.path.isfile(path):
            sys.exit(f"mutate: {m.where}: {m.file} does not exist")
        with open(path, encoding="utf-8", errors="surrogateescape") as f:
            text = f.read()
        hits = [i for i, line in enumerate(text.split("\n")) if m.from_text in line]
        if len(hits) != 1:
            sys.exit(f"mutate: {m.where}: {m.name}: the text is on {len(hits)} lines of {m.file}, not one: {m.from_text!r}")
        originals[m.name] = (path, text, hits[0])

    configure = ["cmake", "-S", src, "-B", build, "-G", "Ninja", "-DVORTALIS_BENCH=OFF"]
    if shutil.which("ccache"):
        configure += ["-DCMAKE_C_COMPILER_LAUNCHER=ccache", "-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"]
    build_command = ["cmake", "--build", build, "--", f"-j{args.jobs}"]

    def build_for(tests):
        # A GoogleTest filter needs the test program alone (it pulls in the
        # game and its data); a ctest entry may run anything the tree builds.
        return build_command if tests.startswith("ctest:") else build_command + ["vortalis_tests"]
    print(f"mutate: building the unmutated copy in {build}", flush=True)
    for step, command in (("configure", configure), ("build", build_command)):
        code, _ = run(command, ROOT, os.path.join(logs, f"baseline-{step}.log"))
        if code != 0:
            sys.exit(f"mutate: the unmutated copy does not {step}: see {logs}/baseline-{step}.log")

    for number, tests in enumerate(dict.fromkeys(m.tests for m in mutations)):
        log = os.path.join(logs, f"baseline-tests-{number}.log")
        code, seconds = run(test_command(tests, build), build, log, TEST_TIMEOUT)
        print(f"mutate: baseline {tests}: {'passed' if code == 0 else 'FAILED'} ({seconds:.0f} s)", flush=True)
        if code != 0:
            sys.exit(f"mutate: the tests fail without any mutation, so they cannot judge one: see {log}")
        if skipped(log):
            sys.exit(f"mutate: the tests ran none or skipped some without any mutation: see {log}")

    results = []
    try:
        for m in mutations:
            path, text, index = originals[m.name]
            lines = text.split("\n")
            lines[index] = lines[index].replace(m.from_text, m.to_text, 1)
            with open(path, "w", encoding="utf-8", errors="surrogateescape") as f:
                f.write("\n".join(lines))
            try:
                log = os.path.join(logs, m.name + ".log")
                code, build_seconds = run(build_for(m.tests), ROOT, log)
                if code != 0:
                    verdict, seconds = "no build", build_seconds
                else:
                    code, seconds = run(test_command(m.tests, build), build, log, TEST_TIMEOUT, append=True)
                    verdict = "caught" if code != 0 else "SURVIVED"
            finally:
                with open(path, "w", encoding="utf-8", errors="surrogateescape") as f:
                    f.write(text)
            results.append((m, verdict))
            print(f"mutate: {verdict:9} {m.name}: {m.what} ({build_seconds:.0f} s build, "
                  f"{seconds if verdict != 'no build' else 0:.0f} s tests)", flush=True)
    finally:
        # The copy is left as the working tree had it, built or not.
        for path, text, _ in originals.values():
            with open(path, "w", encoding="utf-8", errors="surrogateescape") as f:
                f.write(text)

    caught = sum(v == "caught" for _, v in results)
    survived = [m for m, v in results if v == "SURVIVED"]
    broken = [m for m, v in results if v == "no build"]
    judged = caught + len(survived)
    print(f"mutate: {caught} of {judged} caught" + (f", {len(broken)} did not build" if broken else "")
          + f"; logs in {logs}")
    for m in survived:
        print(f"mutate: survived: {m.name} ({m.file}): {m.what}")
    for m in broken:
        print(f"mutate: did not build: {m.name}: see {logs}/{m.name}.log")
    return 1 if survived else 0


if __name__ == "__main__":
    sys.exit(main())
