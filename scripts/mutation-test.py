#!/usr/bin/env python3
"""Mutation run over core/ and files/: how many deliberate small faults do the fast tests catch?

Each mutant of scripts/mutants.txt (a reviewed list: a flipped comparison, an off-by-one, a
dropped call, a swapped key or constant) is put into a scratch copy of the tree one at a time;
the copy is rebuilt incrementally (one build folder, ccache) and test_core, test_files and
test_cli run directly. A mutant is killed when a test fails, crashes or runs past the timeout;
it survives when every test passes. Mutants marked equivalent (no behaviour changes, with the
reason) are listed but left out of the score. The working tree is never modified.

    scripts/mutation-test.py                  # every mutant, the tree as it is on disk
    scripts/mutation-test.py --rev main       # the tree of a commit instead
    scripts/mutation-test.py --only checks-hex-case,ini-real2
    scripts/mutation-test.py --limit 8        # the first eight, to try a change of the list
    scripts/mutation-test.py --check          # only verify every mutant still applies

Exit status: 0 when the score reaches --require (percent, default 90), 1 when it does not,
2 when the list or the unmutated build is broken.
"""

import argparse
import os
import shutil
import signal
import subprocess
import sys
import time
from dataclasses import dataclass
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
TEST_PROGRAMS = ("test_core", "test_files", "test_cli")
BUILD_TARGETS = ("test_core", "test_files", "test_cli", "tessaro-cli")


@dataclass
class Mutant:
    ident: str
    path: str
    find: str = ""
    into: str = ""
    note: str = ""
    equivalent: str = ""
    line: int = 0  # where the block starts in the list, for messages
    outcome: str = ""
    detail: str = ""


def unescape(text):
    # "\n" and "\t" spell a line break and a tab; "\\" a backslash.
    out, i = [], 0
    while i < len(text):
        if text[i] == "\\" and i + 1 < len(text) and text[i + 1] in "nt\\":
            out.append({"n": "\n", "t": "\t", "\\": "\\"}[text[i + 1]])
            i += 2
        else:
            out.append(text[i])
            i += 1
    return "".join(out)


def read_mutants(list_path):
    """Blocks of `[id] path` followed by `find:`, `into:`, `note:` and optional `equivalent:`."""
    mutants, current, errors = [], None, []
    for number, raw in enumerate(list_path.read_text(encoding="utf-8").splitlines(), 1):
        line = raw.rstrip("\n")
        if not line.strip() or line.lstrip().startswith("#"):
            continue
        if line.startswith("["):
            ident, _, path = line[1:].partition("]")
            current = Mutant(ident.strip(), path.strip(), line=number)
            mutants.append(current)
            continue
        key, sep, value = line.partition(":")
        if current is None or not sep or key.strip() not in ("find", "into", "note", "equivalent"):
            errors.append(f"{list_path.name}:{number}: not understood: {line}")
            continue
        value = value[1:] if value.startswith(" ") else value
        setattr(current, key.strip(), unescape(value) if key.strip() in ("find", "into") else value)
    seen = set()
    for m in mutants:
        if m.ident in seen:
            errors.append(f"{list_path.name}:{m.line}: [{m.ident}] appears twice")
        seen.add(m.ident)
        if not m.find or m.find == m.into:
            errors.append(f"{list_path.name}:{m.line}: [{m.ident}] changes nothing")
    return mutants, errors


def tree_files(rev):
    """The tracked files and their contents: of the working tree, or of commit `rev`."""
    if rev is None:
        names = subprocess.run(["git", "ls-files", "-z"], cwd=ROOT, check=True,
                               capture_output=True).stdout.split(b"\0")
        for name in filter(None, names):
            path = ROOT / name.decode()
            if path.is_file() and not path.is_symlink():
                yield name.decode(), path.read_bytes()
        return
    listing = subprocess.run(["git", "ls-tree", "-r", "-z", rev], cwd=ROOT, check=True,
                             capture_output=True).stdout.split(b"\0")
    for entry in filter(None, listing):
        meta, _, name = entry.partition(b"\t")
        if meta.split()[1] != b"blob" or meta.split()[0] == b"120000":
            continue
        blob = meta.split()[2].decode()
        yield name.decode(), subprocess.run(["git", "cat-file", "blob", blob], cwd=ROOT,
                                            check=True, capture_output=True).stdout


def sync_tree(source, rev):
    """Copies the tree into `source`, writing only what differs so the build stays incremental."""
    wanted = set()
    for name, data in tree_files(rev):
        wanted.add(name)
        target = source / name
        if target.is_file() and target.read_bytes() == data:
            continue
        target.parent.mkdir(parents=True, exist_ok=True)
        target.write_bytes(data)
    for path in sorted(source.rglob("*"), reverse=True):
        name = path.relative_to(source).as_posix()
        if path.is_file() and name not in wanted:
            path.unlink()


def run(cmd, cwd, timeout=None, env=None):
    try:
        done = subprocess.run(cmd, cwd=cwd, env=env, timeout=timeout, stdout=subprocess.PIPE,
                              stderr=subprocess.STDOUT)
        return done.returncode, done.stdout.decode(errors="replace")
    except subprocess.TimeoutExpired as e:
        return None, (e.stdout or b"").decode(errors="replace")


def configure(source, build):
    cmd = ["cmake", "-S", str(source), "-B", str(build), "-G", "Ninja",
           "-DCMAKE_BUILD_TYPE=MutationRun",
           # Unoptimised and without debug information: the fastest rebuild, and the tests still
           # run in seconds.
           "-DCMAKE_CXX_FLAGS_MUTATIONRUN=-O0 -g0",
           "-DTESSARO_BUILD_UI=OFF", "-DTESSARO_BUILD_BENCHMARKS=OFF"]
    if shutil.which("ccache"):
        cmd.append("-DCMAKE_CXX_COMPILER_LAUNCHER=ccache")
    if shutil.which("ld.lld"):
        cmd.append("-DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=lld")
    rc, out = run(cmd, ROOT)
    if rc != 0:
        sys.exit(f"configuring the scratch build failed:\n{out}")


def build_tests(build, jobs):
    return run(["cmake", "--build", str(build), "-j", str(jobs), "--target", *BUILD_TARGETS], ROOT)


def first_failure(program, out):
    failed = [l.split("]", 1)[1].strip() for l in out.splitlines() if l.startswith("[  FAILED  ]")]
    return f"{program}: {failed[0]}" if failed else None


def run_tests(build, timeout):
    """None when every program passes, else what killed the mutant. The programs run side by side;
    the first to fail ends the others."""
    env = dict(os.environ, LC_ALL="C.UTF-8")
    running = {}
    for program in TEST_PROGRAMS:
        folder = build / "tests" / program.removeprefix("test_")
        log = open(build / f"{program}.log", "w+b")
        running[program] = (subprocess.Popen(
            [str(folder / program), "--gtest_fail_fast", "--gtest_brief=1"], cwd=folder, env=env,
            stdout=log, stderr=subprocess.STDOUT, start_new_session=True), log)
    deadline = time.monotonic() + timeout
    verdict = None
    try:
        while running and verdict is None:
            time.sleep(0.05)
            for program, (process, log) in list(running.items()):
                rc = process.poll()
                if rc is None:
                    continue
                del running[program]
                log.seek(0)
                out = log.read().decode(errors="replace")
                log.close()
                if rc < 0:
                    verdict = f"{program}: crashed (signal {-rc})"
                elif rc != 0:
                    verdict = first_failure(program, out) or f"{program}: exit status {rc}"
            if verdict is None and running and time.monotonic() > deadline:
                verdict = f"{', '.join(running)}: timeout after {timeout} s"
    finally:
        for process, log in running.values():
            try:
                os.killpg(process.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            process.wait()
            log.close()
    return verdict


def apply(source, mutant):
    path = source / mutant.path
    text = path.read_bytes().decode("latin-1")
    count = text.count(mutant.find)
    if count != 1:
        return None, f"the text to find occurs {count} times in {mutant.path}"
    return text, text.replace(mutant.find, mutant.into, 1)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--list", type=Path, default=ROOT / "scripts" / "mutants.txt")
    parser.add_argument("--rev", help="mutate this commit's tree instead of the working tree")
    parser.add_argument("--work", type=Path, default=ROOT / "build" / "mutation")
    parser.add_argument("--only", help="comma-separated mutant ids")
    parser.add_argument("--limit", type=int, help="only the first N mutants of the list")
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--timeout", type=int, default=120, help="seconds a test program may take")
    parser.add_argument("--require", type=float, default=90.0, help="score in percent to pass")
    parser.add_argument("--check", action="store_true", help="only check that every mutant applies")
    args = parser.parse_args()

    mutants, errors = read_mutants(args.list)
    work = args.work.resolve()
    source, build = work / "src", work / "build"
    source.mkdir(parents=True, exist_ok=True)
    sync_tree(source, args.rev)
    for m in mutants:
        if not (source / m.path).is_file():
            errors.append(f"[{m.ident}] {m.path}: no such file")
        elif apply(source, m)[0] is None:
            errors.append(f"[{m.ident}] {apply(source, m)[1]}")
    if errors:
        print("\n".join(errors), file=sys.stderr)
        return 2
    files = sorted({m.path for m in mutants})
    print(f"{len(mutants)} mutants over {len(files)} files, "
          f"{sum(1 for m in mutants if m.equivalent)} marked equivalent")
    if args.check:
        return 0

    chosen = [m for m in mutants if not m.equivalent]
    if args.only:
        wanted = set(args.only.split(","))
        chosen = [m for m in mutants if m.ident in wanted]
    if args.limit:
        chosen = chosen[: args.limit]
    # Mutants of one file one after another: the restored file rebuilds only when the file changes.
    chosen.sort(key=lambda m: (m.path, m.line))

    started = time.monotonic()
    configure(source, build)
    rc, out = build_tests(build, args.jobs)
    if rc != 0:
        print(f"the unmutated tree does not build:\n{out}", file=sys.stderr)
        return 2
    failure = run_tests(build, args.timeout)
    if failure:
        print(f"the unmutated tree fails its tests: {failure}", file=sys.stderr)
        return 2
    print(f"unmutated build and tests: {time.monotonic() - started:.0f} s")

    for index, m in enumerate(chosen, 1):
        t0 = time.monotonic()
        path = source / m.path
        original, mutated = apply(source, m)
        try:
            path.write_bytes(mutated.encode("latin-1"))
            rc, out = build_tests(build, args.jobs)
            if rc != 0:
                m.outcome, m.detail = "not built", out.strip().splitlines()[-1] if out else ""
            else:
                failure = run_tests(build, args.timeout)
                m.outcome, m.detail = ("killed", failure) if failure else ("SURVIVED", "")
        finally:
            path.write_bytes(original.encode("latin-1"))
        print(f"[{index:3}/{len(chosen)}] {m.outcome:9} {m.ident:22} {time.monotonic() - t0:5.1f} s"
              f"  {m.detail}", flush=True)
    # Leaves the copy built as it is, so the next run starts incremental.
    build_tests(build, args.jobs)

    scored = [m for m in chosen if m.outcome in ("killed", "SURVIVED")]
    killed = [m for m in scored if m.outcome == "killed"]
    survivors = [m for m in scored if m.outcome == "SURVIVED"]
    unbuilt = [m for m in chosen if m.outcome == "not built"]
    score = 100.0 * len(killed) / len(scored) if scored else 100.0
    print(f"\nScore: {len(killed)} of {len(scored)} mutants killed, {score:.1f} % "
          f"({time.monotonic() - started:.0f} s)")
    if survivors:
        print("\nSurvivors:")
        for m in survivors:
            print(f"  [{m.ident}] {m.path}: {m.find.strip()!r} -> {m.into.strip()!r}\n"
                  f"      {m.note}")
    if unbuilt:
        print("\nNot built (fix the list):")
        for m in unbuilt:
            print(f"  [{m.ident}] {m.path}: {m.detail}")
    equivalent = [m for m in mutants if m.equivalent]
    if equivalent and not args.only:
        print("\nEquivalent, left out of the score:")
        for m in equivalent:
            print(f"  [{m.ident}] {m.path}: {m.equivalent}")
    return 0 if score >= args.require and not unbuilt else 1


if __name__ == "__main__":
    sys.exit(main())
