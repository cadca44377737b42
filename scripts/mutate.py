#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Mutation run over the project's own sources.

Each mutant is one small plausible bug (a swapped comparison or operator, a constant off by one, a
negated or removed check, a dropped call or return) put into one source file. The file is rebuilt
in a build folder of its own, the tests that link it are run one after another until one fails
(the mutant is killed) or all pass (it survives). The file is put back as it was afterwards, also
on Ctrl+C; a copy of the original is kept beside the build until then, and a run that was killed
outright puts it back when started again.

Results are added to a JSON file, so separate runs add up. Mutants listed in
scripts/mutate-equivalent.txt (behave exactly like the original) are not counted, nor are mutants
that do not compile.

    scripts/mutate.py --files src/picture/levels.cpp --max 20
    scripts/mutate.py --sample 10 --seed 1          # ten per folder of src/
    scripts/mutate.py --report                      # what the results file holds so far
"""

import argparse
import difflib
import hashlib
import json
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent

# Data-like files: layout tables in twips and captions, where a changed number only moves a control.
EXCLUDED = [re.compile(p) for p in (r"/form\d*ui\.cpp$", r"twips", r"caption")]

# Lines that are never mutated: assertions (they only abort debug builds) and declarations of the
# meta-object system.
SKIPPED_LINE = re.compile(r"^\s*#|Q_ASSERT|static_assert|Q_OBJECT|Q_DECLARE|Q_PROPERTY|Q_ENUM")

KEYWORDS = {"return", "delete", "throw", "if", "else", "while", "for", "switch", "case", "do",
            "co_return", "co_await", "goto", "new", "using", "typedef", "emit"}

ERROR_BODY = re.compile(r"\bthrow\b|refuse|[Ee]rror|[Ff]ail|reject|\breturn\b|warn|abort")


# ---------------------------------------------------------------------------------------------
# Reading C++ just well enough: comments and literals masked out, positions kept.

def mask(text):
    """The text with comments and the insides of string and character literals as spaces."""
    out = list(text)
    i, n = 0, len(text)

    def blank(a, b):
        for k in range(a, b):
            if out[k] != "\n":
                out[k] = " "

    while i < n:
        c = text[i]
        if text.startswith("//", i):
            j = text.find("\n", i)
            j = n if j < 0 else j
            blank(i, j)
            i = j
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            j = n if j < 0 else j + 2
            blank(i, j)
            i = j
        elif c == "R" and i + 1 < n and text[i + 1] == '"' and (i == 0 or not (
                text[i - 1].isalnum() or text[i - 1] == "_")):
            m = re.match(r'R"([^(\s]*)\(', text[i:])
            if not m:
                i += 1
                continue
            end = text.find(")" + m.group(1) + '"', i)
            end = n if end < 0 else end + len(m.group(1)) + 2
            blank(i + 2, end - 1)
            i = end
        elif c in "\"'":
            if c == "'" and i > 0 and text[i - 1].isalnum():
                i += 1  # a digit separator, 60'000
                continue
            j = i + 1
            while j < n and text[j] != c and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            blank(i + 1, min(j, n))
            i = j + 1
        else:
            i += 1
    return "".join(out)


def matching_paren(s, start):
    """Index of the parenthesis closing the one at start, or -1 if not on this line."""
    depth = 0
    for k in range(start, len(s)):
        if s[k] == "(":
            depth += 1
        elif s[k] == ")":
            depth -= 1
            if depth == 0:
                return k
    return -1


# ---------------------------------------------------------------------------------------------
# The operators. Each yields (operator, column, length, replacement) for one masked line.

SWAPS = [
    ("relational", r"(?<=\s)<(?=\s)", "<="), ("relational", r"(?<=\s)<=(?=\s)", "<"),
    ("relational", r"(?<=\s)>(?=\s)", ">="), ("relational", r"(?<=\s)>=(?=\s)", ">"),
    ("relational", r"(?<=\s)==(?=\s)", "!="), ("relational", r"(?<=\s)!=(?=\s)", "=="),
    ("logical", r"(?<=\s)&&(?=\s)", "||"), ("logical", r"(?<=\s)\|\|(?=\s)", "&&"),
    ("arithmetic", r"(?<=\s)\+(?=\s)", "-"), ("arithmetic", r"(?<=\s)-(?=\s)", "+"),
    ("arithmetic", r"(?<=\s)\*(?=\s)", "/"), ("arithmetic", r"(?<=\s)/(?=\s)", "*"),
    ("arithmetic", r"(?<=\s)%(?=\s)", "/"),
    ("arithmetic", r"(?<=\s)\+=(?=\s)", "-="), ("arithmetic", r"(?<=\s)-=(?=\s)", "+="),
    ("boolean", r"\btrue\b", "false"), ("boolean", r"\bfalse\b", "true"),
]
SWAPS = [(op, re.compile(p), r) for op, p, r in SWAPS]
INTEGER = re.compile(r"(?<![\w.'])(\d[\d']*)(?![\w.'])")
CONDITION = re.compile(r"\b(if|while) \(")
CALL = re.compile(r"^(\s*)((?:[A-Za-z_][\w:]*(?:<[^;=]*>)?(?:\.|->))*[A-Za-z_][\w:]*)\s*\(.*\);\s*$")
BARE = re.compile(r"^(\s*)(return|continue|break);\s*$")
THROW = re.compile(r"^(\s*)throw\b.*;\s*$")


def line_mutants(masked, original, following):
    """The mutants of one line, given its masked and original text and the masked next line."""
    if SKIPPED_LINE.search(masked) or not masked.strip():
        return
    for op, pattern, replacement in SWAPS:
        for m in pattern.finditer(masked):
            yield op, m.start(), m.end() - m.start(), replacement
    for m in INTEGER.finditer(masked):
        value = int(m.group(1).replace("'", ""))
        for other in (value + 1, value - 1):
            if other >= 0:
                yield "constant", m.start(), m.end() - m.start(), str(other)
    for m in CONDITION.finditer(masked):
        open_at = m.end() - 1
        close = matching_paren(masked, open_at)
        if close < 0:
            continue
        inside = original[open_at + 1:close]
        yield "negated condition", open_at, close - open_at + 1, "(!(" + inside + "))"
        body = masked[close + 1:] + " " + following
        if m.group(1) == "if" and ERROR_BODY.search(body):
            yield "removed check", open_at, close - open_at + 1, "(false)"
        elif m.group(1) == "if":
            yield "removed guard", open_at, close - open_at + 1, "(true)"
    m = CALL.match(masked)
    if m and m.group(2).split("::")[-1] not in KEYWORDS and m.group(2) not in KEYWORDS:
        stmt = masked.strip()
        head = stmt[:stmt.find("(")]
        if "=" not in head and " " not in head.strip():
            yield "dropped call", len(m.group(1)), len(masked.rstrip()) - len(m.group(1)), "{}"
    m = BARE.match(masked) or THROW.match(masked)
    if m:
        what = "dropped throw" if masked.strip().startswith("throw") else "dropped " + m.group(2)
        yield what, len(m.group(1)), len(masked.rstrip()) - len(m.group(1)), "{}"


def mutants_of(tree, path):
    """Every mutant of one file: dicts with an id stable across unrelated edits."""
    text = (tree / path).read_text(encoding="utf-8")
    lines = text.split("\n")
    masked = mask(text).split("\n")
    seen = {}
    result = []
    for number, (line, mline) in enumerate(zip(lines, masked), start=1):
        # The next line with code on it: the body of an if written on its own line.
        following = next((m for m in masked[number:number + 3] if m.strip()), "")
        for op, col, length, replacement in line_mutants(mline, line, following):
            mutated = line[:col] + replacement + line[col + length:]
            if mutated == line:
                continue
            key = (path, line.strip(), mutated.strip())
            seen[key] = seen.get(key, 0) + 1
            ident = hashlib.sha1("\0".join(key + (str(seen[key]),)).encode()).hexdigest()[:12]
            result.append({"id": ident, "file": path, "folder": str(Path(path).parent),
                           "line": number, "operator": op, "original": line, "mutated": mutated})
    return result


# ---------------------------------------------------------------------------------------------
# Which tests cover which file, from the CMake files: a test covers a file when the file's library
# or program is among what the test links or depends on.

COMMAND = re.compile(r"\b(add_library|add_executable|target_link_libraries|zomvorn_add_test|"
                     r"add_dependencies)\s*\(([^)]*)\)", re.S)


def build_graph(tree):
    owner, deps = {}, {}
    for cmake in [tree / "tests/CMakeLists.txt"] + sorted((tree / "src").glob("*/CMakeLists.txt")):
        folder = cmake.parent.relative_to(tree)
        text = re.sub(r"#[^\n]*", "", cmake.read_text(encoding="utf-8"))
        for command, args in COMMAND.findall(text):
            words = [w for w in args.split() if w not in ("STATIC", "PUBLIC", "PRIVATE",
                                                          "INTERFACE", "SHARED")]
            if not words or "$" in words[0]:
                continue
            name, rest = words[0], words[1:]
            deps.setdefault(name, set())
            if command in ("add_library", "add_executable"):
                for source in rest:
                    if source.endswith(".cpp"):
                        owner[str(folder / source)] = name
            elif command == "zomvorn_add_test":
                deps[name].update(["zomira_testsupport"] + rest[1:])
            else:
                deps[name].update(rest)
    return owner, deps


def closure(deps, name):
    todo, seen = [name], set()
    while todo:
        n = todo.pop()
        if n not in seen:
            seen.add(n)
            todo.extend(deps.get(n, ()))
    return seen


# The tests aimed at each folder (or file), tried in this order after those that include the
# file's own header. The other tests that link a file run only with --all-tests: a mutant caught
# by nothing but a far-off test is as good as a survivor.
AIMED = {
    "src/picture/animation.cpp": ["tst_animation", "tst_animationdialog"],
    "src/picture/levels.cpp": ["tst_cli", "tst_form1", "tst_cliidentity"],
    # No test includes the painted scaling's header: the smooth scaling's test compares both
    # with Qt.
    "src/picture/paintedscale.cpp": ["tst_smoothscale", "tst_cli", "tst_form1"],
    "src/picture": ["tst_pictureio", "tst_readers", "tst_cli", "tst_animation", "tst_tools",
                    "tst_form1"],
    "src/ui/builtinformats.cpp": ["tst_startupplugins", "tst_helpviewer", "tst_form2"],
    "src/ui": ["tst_picturesurface", "tst_pictureio", "tst_platform", "tst_display",
               "tst_form1", "tst_form2"],
    "src/stereo": ["tst_stereogramgenerator", "tst_generatorequivalence", "tst_rnd", "tst_form3",
                   "tst_animation", "tst_randomdots"],
    "src/editor": ["tst_form1", "tst_canvashistory", "tst_draftstore", "tst_cliidentity"],
    "src/app": ["tst_form2", "tst_tools", "tst_animationdialog", "tst_randomdots", "tst_startup",
                "tst_cliidentity", "tst_scaling"],
    "src/helpviewer": ["tst_helpviewer", "tst_display"],
    "src/cli/render.cpp": ["tst_render", "tst_cli", "tst_renderdialog", "tst_cliidentity"],
    "src/cli/slices.cpp": ["tst_slices", "tst_cli"],
    "src/cli": ["tst_cli", "tst_animation", "tst_tools", "tst_cliidentity", "tst_slices",
                "tst_clistreams"],
}


def includers(tree, path):
    """Tests that include the file's own header."""
    header = str(Path(path).with_suffix(".h").relative_to("src"))
    found = []
    for source in sorted((tree / "tests").glob("*/tst_*.cpp")):
        if f'#include "{header}"' in source.read_text(encoding="utf-8", errors="replace"):
            found.append(source.stem)
    return found


def tests_for(tree, path, owner, deps, everything=False):
    target = owner.get(path)
    if target is None:
        return []
    linking = {t for t in deps if t.startswith("tst_") and target in closure(deps, t)}
    aimed = AIMED.get(path) or AIMED.get(str(Path(path).parent), [])
    order = includers(tree, path) + aimed
    if everything:
        order += sorted(linking)
    tests = []
    for t in order:
        if t in linking and t not in tests:
            tests.append(t)
    return tests


# ---------------------------------------------------------------------------------------------
# Running.

class Interrupted(Exception):
    pass


def on_signal(signum, frame):
    raise Interrupted()


def run(cmd, cwd, timeout, log):
    """Runs cmd in its own process group; returns (exit status or None on timeout, seconds)."""
    start = time.monotonic()
    with open(log, "ab") as out:
        proc = subprocess.Popen(cmd, cwd=cwd, stdout=out, stderr=subprocess.STDOUT,
                                start_new_session=True)
        try:
            status = proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            status = None
        finally:
            if proc.poll() is None:
                os.killpg(proc.pid, signal.SIGKILL)
                proc.wait()
    return status, time.monotonic() - start


class Source:
    """One file under mutation: the original is kept beside the build until it is put back."""

    def __init__(self, tree, path, backups):
        self.file = tree / path
        self.backup = backups / path
        self.backup.parent.mkdir(parents=True, exist_ok=True)
        shutil.copy2(self.file, self.backup)
        self.original = self.backup.read_bytes()

    def write(self, text):
        self.file.write_text(text, encoding="utf-8")

    def restore(self):
        self.file.write_bytes(self.original)
        self.backup.unlink()


def restore_leftovers(tree, backups):
    """Puts back files a run killed outright left mutated."""
    if not backups.exists():
        return
    for backup in backups.rglob("*"):
        if backup.is_file():
            target = tree / backup.relative_to(backups)
            shutil.copy2(backup, target)
            backup.unlink()
            print(f"put back {target.relative_to(tree)} from an interrupted run")


def configure(tree, build, log):
    if (build / "build.ninja").exists():
        return
    env_note = "" if os.environ.get("CMAKE_CXX_COMPILER_LAUNCHER") else \
        " (set CMAKE_CXX_COMPILER_LAUNCHER=ccache to reuse objects)"
    print(f"configuring {build}{env_note}")
    status, _ = run(["cmake", "--preset", "debug", "-B", str(build)], tree, None, log)
    if status != 0:
        sys.exit(f"configuring failed, see {log}")


def build(build_dir, target, log, timeout):
    status, seconds = run(["nice", "cmake", "--build", str(build_dir), "--target", target],
                          build_dir, timeout, log)
    return status == 0, seconds


def test(build_dir, name, timeout, log):
    # A mutant that corrupts the heap makes QtTest's crash handler fork a debugger for a stack
    # dump, which can wait forever on the allocator's lock: the crash alone is the answer.
    os.environ["QTEST_DISABLE_STACK_DUMP"] = "1"
    status, seconds = run(["ctest", "--test-dir", str(build_dir), "-R", f"^{name}(_.*)?$",
                           "--output-on-failure", "--timeout", str(timeout)],
                          build_dir, timeout + 30, log)
    return status, seconds


def diff(m):
    return "".join(difflib.unified_diff(
        [m["original"] + "\n"], [m["mutated"] + "\n"],
        f"a/{m['file']}:{m['line']}", f"b/{m['file']}:{m['line']}", n=0))


def try_mutant(args, tree, m, source, owner, deps, log):
    text = source.original.decode("utf-8").split("\n")
    assert text[m["line"] - 1] == m["original"], "the file changed under the run"
    text[m["line"] - 1] = m["mutated"]
    source.write("\n".join(text))
    tests = tests_for(tree, m["file"], owner, deps, args.all_tests)
    record = dict(m, tests=tests, build_seconds=0.0, test_seconds=0.0, killed_by=None,
                  when=time.strftime("%Y-%m-%dT%H:%M:%SZ", time.gmtime()))
    if not tests:
        record["status"] = "untested"
        return record
    for name in tests:
        built, seconds = build(args.build, name, log, args.build_timeout)
        record["build_seconds"] += seconds
        if not built:
            # Only the first build compiles the mutated file; a later failure is the build's own.
            record["status"] = "uncompiled" if name == tests[0] else "build error"
            return record
        status, seconds = test(args.build, name, args.timeout, log)
        record["test_seconds"] += seconds
        if status != 0:
            record["status"] = "timeout" if status is None else "killed"
            record["killed_by"] = name
            return record
    record["status"] = "survived"
    return record


def load(path):
    if path.exists():
        return json.loads(path.read_text(encoding="utf-8"))
    return {"mutants": {}}


def save(path, results):
    tmp = path.with_suffix(".tmp")
    tmp.write_text(json.dumps(results, indent=1, ensure_ascii=False), encoding="utf-8")
    os.replace(tmp, path)


def equivalents(path):
    found = {}
    if path.exists():
        for line in path.read_text(encoding="utf-8").splitlines():
            line = line.strip()
            if line and not line.startswith("#"):
                ident, _, reason = line.partition(" ")
                found[ident] = reason.strip()
    return found


def report(results, equivalent, files=None):
    rows = {}
    survivors = []
    for m in results["mutants"].values():
        if files and m["file"] not in files:
            continue
        row = rows.setdefault(m["folder"], {"killed": 0, "survived": 0, "equivalent": 0,
                                            "uncompiled": 0, "seconds": 0.0, "ran": 0})
        if m["id"] in equivalent:
            row["equivalent"] += 1
        elif m["status"] in ("killed", "timeout"):
            row["killed"] += 1
        elif m["status"] == "survived":
            row["survived"] += 1
            survivors.append(m)
        else:
            row["uncompiled"] += 1
        row["seconds"] += m.get("build_seconds", 0) + m.get("test_seconds", 0)
        row["ran"] += 1
    print(f"\n{'folder':<16}{'killed':>8}{'survived':>10}{'rate':>8}{'equiv.':>8}"
          f"{'no build':>10}{'s/mutant':>10}")
    total = {"killed": 0, "survived": 0}
    for folder in sorted(rows):
        r = rows[folder]
        counted = r["killed"] + r["survived"]
        rate = f"{100 * r['killed'] / counted:.0f} %" if counted else "-"
        print(f"{folder:<16}{r['killed']:>8}{r['survived']:>10}{rate:>8}{r['equivalent']:>8}"
              f"{r['uncompiled']:>10}{r['seconds'] / max(r['ran'], 1):>10.0f}")
        total["killed"] += r["killed"]
        total["survived"] += r["survived"]
    counted = total["killed"] + total["survived"]
    if counted:
        print(f"{'all':<16}{total['killed']:>8}{total['survived']:>10}"
              f"{100 * total['killed'] / counted:>6.0f} %")
    if survivors:
        print("\nSurvivors:")
        for m in sorted(survivors, key=lambda m: (m["file"], m["line"])):
            print(f"\n{m['id']} {m['operator']}, tests run: {' '.join(m['tests'])}")
            print(diff(m), end="")


def candidate_files(tree, chosen):
    if chosen:
        files = []
        for f in chosen:
            p = (tree / f) if not Path(f).is_absolute() else Path(f)
            rel = p.resolve().relative_to(tree.resolve())
            if p.is_dir():
                files += sorted(str(q.relative_to(tree)) for q in p.rglob("*.cpp"))
            else:
                files.append(str(rel))
    else:
        files = sorted(str(q.relative_to(tree)) for q in (tree / "src").rglob("*.cpp"))
    return [f for f in files if not any(e.search("/" + f) for e in EXCLUDED)]


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--files", nargs="+", help="files or folders to mutate (default: src/)")
    parser.add_argument("--max", type=int, help="at most this many mutants in this run")
    parser.add_argument("--sample", type=int,
                        help="this many mutants per folder, chosen at random (see --seed)")
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--operators", nargs="+", help="only these operators (e.g. relational)")
    parser.add_argument("--ids", nargs="+", help="only these mutants (ids from --list or a report)")
    parser.add_argument("--tree", type=Path, default=ROOT,
                        help="source tree to mutate (default: this one); a copy leaves it free")
    parser.add_argument("--build", type=Path, help="build folder (default: TREE/build/mutate)")
    parser.add_argument("--results", type=Path,
                        help="results file runs are added to (default: BUILD/mutation.json)")
    parser.add_argument("--equivalent", type=Path, default=ROOT / "scripts/mutate-equivalent.txt")
    parser.add_argument("--timeout", type=int, default=300, help="seconds per test")
    parser.add_argument("--build-timeout", type=int, default=1800)
    parser.add_argument("--all-tests", action="store_true",
                        help="also every other test that links the file, after the aimed ones")
    parser.add_argument("--retry", action="store_true",
                        help="run mutants again that the results file already has")
    parser.add_argument("--list", action="store_true", help="list the mutants, run nothing")
    parser.add_argument("--report", action="store_true", help="summarise the results file")
    args = parser.parse_args()
    args.tree = args.tree.resolve()
    args.build = (args.build or args.tree / "build/mutate").resolve()
    args.results = args.results or args.build / "mutation.json"
    equivalent = equivalents(args.equivalent)
    results = load(args.results)
    files = candidate_files(args.tree, args.files)

    if args.report:
        report(results, equivalent, set(files) if args.files else None)
        return

    owner, deps = build_graph(args.tree)
    by_folder = {}
    for f in files:
        for m in mutants_of(args.tree, f):
            if args.operators and m["operator"] not in args.operators:
                continue
            if args.ids and m["id"] not in args.ids:
                continue
            if m["id"] in equivalent:
                continue
            if not (args.retry or args.ids) and m["id"] in results["mutants"]:
                continue
            by_folder.setdefault(m["folder"], []).append(m)
    chosen = []
    rng = random.Random(args.seed)
    for folder in sorted(by_folder):
        group = by_folder[folder]
        if args.sample:
            group = rng.sample(group, min(args.sample, len(group)))
        chosen += group
    if args.max is not None:
        if args.sample is None:
            rng.shuffle(chosen)
        chosen = chosen[:args.max]
    chosen.sort(key=lambda m: (m["file"], m["line"]))

    if args.list:
        for m in chosen:
            print(f"{m['id']} {m['file']}:{m['line']} {m['operator']}: {m['mutated'].strip()}")
        print(f"{len(chosen)} mutants")
        return

    args.build.mkdir(parents=True, exist_ok=True)
    log = args.build / "mutate.log"
    backups = args.build / "mutate-originals"
    restore_leftovers(args.tree, backups)
    configure(args.tree, args.build, log)
    signal.signal(signal.SIGTERM, on_signal)
    signal.signal(signal.SIGHUP, on_signal)
    source = None
    try:
        for n, m in enumerate(chosen, start=1):
            if source is None or source.file != args.tree / m["file"]:
                if source:
                    source.restore()
                source = Source(args.tree, m["file"], backups)
            print(f"[{n}/{len(chosen)}] {m['file']}:{m['line']} {m['operator']}: "
                  f"{m['mutated'].strip()}", flush=True)
            record = try_mutant(args, args.tree, m, source, owner, deps, log)
            by = f" by {record['killed_by']}" if record["killed_by"] else ""
            print(f"    {record['status']}{by} (build {record['build_seconds']:.0f} s, "
                  f"tests {record['test_seconds']:.0f} s)", flush=True)
            results["mutants"][m["id"]] = record
            save(args.results, results)
    except (KeyboardInterrupt, Interrupted):
        print("\ninterrupted; the file is put back")
    finally:
        if source:
            source.restore()
    report(results, equivalent, {m["file"] for m in chosen} if args.files else None)


if __name__ == "__main__":
    main()
