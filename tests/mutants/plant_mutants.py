#!/usr/bin/python3
"""Plants each fault of mutants.txt on its own, rebuilds, runs the suites
that guard it and expects them to fail; puts the source back after every
fault and prints a table fault -> caught/MISSED. Exits non-zero when a fault
was missed, a text to replace was not found, or the unchanged tree does not
pass.

Usage: plant_mutants.py [--skip-baseline] BUILD_DIR [NAME...]
       plant_mutants.py --doc                 prints docs/planted-faults.md
       plant_mutants.py --check-doc BUILD_DIR  fails when that file or a
                                              guard's test name is stale
No names: every fault. --skip-baseline trusts that the unchanged tree
passes, for reruns of a few faults.
"""
import pathlib
import re
import subprocess
import sys

ROOT = pathlib.Path(__file__).resolve().parents[2]
LIST = pathlib.Path(__file__).with_name("mutants.txt")
DOC = ROOT / "docs" / "planted-faults.md"
# The packaging tests check what is installed, not what the code does, and
# the soak looks for leaks, which none of these faults is about. The X-server
# and screen-reader suites start servers of their own and run like any other.
CTEST = ["ctest", "--stop-on-failure", "--parallel", "2",
         "-E", "^(test_soak|desktop_files|install_layout|portable_bundle|debian_package)$"]

DOC_HEAD = """# Planted faults

Generated from `tests/mutants/mutants.txt` by
`tests/mutants/plant_mutants.py --doc`; the test `planted_faults_list` fails
when this file or a test it names has gone stale, so edit the list, not
this file.

`make test-mutants` plants each fault on its own in `build-mutants/`: it
replaces one exact text of the source, rebuilds, runs the suites named under
"Caught by" and expects one of them to fail, then puts the source back. It
prints a table fault -> caught/MISSED and fails when a fault was missed or a
text to replace is no longer in the source ("anchor not found": update the
list together with the code). `make test-mutants MUTANTS="script-byte
countdown-boundary"` plants only the named ones.

Add a fault whenever a test is written for a fault no listed one stands for,
and plant the faults a test guards before merging or deleting it.

| Fault | Planted in | Caught by |
|---|---|---|
"""


def read_mutants():
    mutants, current = [], None
    for line in LIST.read_text().splitlines():
        if line.startswith("#") or not line.strip():
            continue
        header = re.fullmatch(r"\[(.+)\]", line)
        if header:
            current = {"name": header.group(1)}
            mutants.append(current)
            continue
        key, _, value = line.partition("=")
        current[key.strip()] = value.strip().replace("\\n", "\n")
    return mutants


def guards(mutant):
    return mutant.get("guard", "").split()


def document(mutants):
    rows = []
    for m in mutants:
        caught_by = ", ".join("`%s`" % g for g in guards(m)) or "the whole run"
        rows.append("| `%s` | `%s` | %s |" % (m["name"], m["file"], caught_by))
    return DOC_HEAD + "\n".join(rows) + "\n"


def known_tests(build_dir):
    listing = subprocess.run(["ctest", "-N"], cwd=build_dir, stdout=subprocess.PIPE, text=True).stdout
    return set(re.findall(r"Test +#\d+: (\S+)", listing))


def check_doc(build_dir):
    mutants = read_mutants()
    problems = []
    if DOC.read_text() != document(mutants):
        problems.append("%s is not what --doc prints: run `%s --doc > %s`" % (DOC, sys.argv[0], DOC))
    tests = known_tests(build_dir)
    for m in mutants:
        for key in ("file", "from", "to", "guard"):
            if key not in m:
                problems.append("%s has no `%s`" % (m["name"], key))
        for g in guards(m):
            if g not in tests:
                problems.append("%s names %s, which is no test" % (m["name"], g))
    names = [m["name"] for m in mutants]
    for name in {n for n in names if names.count(n) > 1}:
        problems.append("%s is listed twice" % name)
    print("\n".join(problems) or "%d faults, each documented and guarded by a test that exists" % len(mutants))
    sys.exit(1 if problems else 0)


def build(build_dir):
    result = subprocess.run(["cmake", "--build", build_dir, "--parallel", "2"],
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    return result.returncode == 0, result.stdout


def run_tests(build_dir, only=()):
    # Without the timings of earlier runs ctest starts the tests in the order
    # they are declared, the quick unit suites first, so a caught fault
    # stops the run early instead of after the slowest suites.
    (pathlib.Path(build_dir) / "Testing" / "Temporary" / "CTestCostData.txt").unlink(missing_ok=True)
    command = CTEST + (["-R", "^(%s)$" % "|".join(only)] if only else [])
    result = subprocess.run(command, cwd=build_dir, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                            text=True)
    failed = re.findall(r"^\s*\d+ - (\S+) \(", result.stdout, re.MULTILINE)
    return result.returncode == 0, failed


def plant(mutant, build_dir):
    path = ROOT / mutant["file"]
    original = path.read_text()
    hits = original.count(mutant["from"])
    if hits != 1:
        return "anchor not found" if hits == 0 else "anchor found %d times" % hits, ""
    try:
        path.write_text(original.replace(mutant["from"], mutant["to"]))
        built, log = build(build_dir)
        if not built:
            return "does not build", log[-2000:]
        passed, failed = run_tests(build_dir, guards(mutant))
        return ("MISSED", "") if passed else ("caught", " ".join(failed))
    finally:
        path.write_text(original)


def main():
    arguments = sys.argv[1:]
    if arguments == ["--doc"]:
        sys.stdout.write(document(read_mutants()))
        return
    if len(arguments) == 2 and arguments[0] == "--check-doc":
        check_doc(arguments[1])
    skip_baseline = "--skip-baseline" in arguments
    arguments = [a for a in arguments if a != "--skip-baseline"]
    if not arguments:
        sys.exit(__doc__)
    build_dir = arguments[0]
    wanted = set(arguments[1:])
    mutants = [m for m in read_mutants() if not wanted or m["name"] in wanted]

    built, log = build(build_dir)
    baseline = sorted({g for m in mutants for g in guards(m)}) if wanted else ()
    passed, failed = (built, []) if skip_baseline or not built else run_tests(build_dir, baseline)
    if not passed:
        sys.exit("the unchanged tree does not pass: %s\n%s" % (" ".join(failed), log[-2000:]))

    rows = []
    for mutant in mutants:
        outcome, detail = plant(mutant, build_dir)
        print("%-36s %-18s %s" % (mutant["name"], outcome, detail), flush=True)
        rows.append((mutant["name"], outcome))
    build(build_dir)  # leave the build folder matching the sources

    print("\n%-36s %s" % ("fault", "result"))
    for name, outcome in rows:
        print("%-36s %s" % (name, outcome))
    caught = sum(1 for _, outcome in rows if outcome == "caught")
    print("\n%d of %d faults caught" % (caught, len(rows)))
    sys.exit(0 if caught == len(rows) else 1)


if __name__ == "__main__":
    main()
