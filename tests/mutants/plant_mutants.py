#!/usr/bin/python3
"""Plants each fault of mutants.txt on its own, rebuilds, runs the tests and
expects them to fail; puts the source back after every fault and prints a
table fault -> caught/MISSED. Exits non-zero when a fault was missed, a text
to replace was not found, or the unchanged tree does not pass.

Usage: plant_mutants.py [--skip-baseline] BUILD_DIR [NAME...]
No names: every fault. --skip-baseline trusts that the unchanged tree
passes, for reruns of a few faults.
"""
import pathlib
import re
import subprocess
import sys

ROOT = pathlib.Path(__file__).resolve().parents[2]
LIST = pathlib.Path(__file__).with_name("mutants.txt")
# The desktop tests need an installed tree and an X server, and the soak
# looks for leaks, which none of these faults is about.
CTEST = ["ctest", "--stop-on-failure", "--parallel", "2", "-LE", "desktop", "-E", "^test_soak$"]


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


def build(build_dir):
    result = subprocess.run(["cmake", "--build", build_dir, "--parallel", "2"],
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    return result.returncode == 0, result.stdout


def run_tests(build_dir):
    # Without the timings of earlier runs ctest starts the tests in the order
    # they are declared, the quick unit suites first, so a caught fault
    # stops the run early instead of after the slowest suites.
    (pathlib.Path(build_dir) / "Testing" / "Temporary" / "CTestCostData.txt").unlink(missing_ok=True)
    result = subprocess.run(CTEST, cwd=build_dir, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
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
        passed, failed = run_tests(build_dir)
        return ("MISSED", "") if passed else ("caught", " ".join(failed))
    finally:
        path.write_text(original)


def main():
    arguments = sys.argv[1:]
    skip_baseline = "--skip-baseline" in arguments
    arguments = [a for a in arguments if a != "--skip-baseline"]
    if not arguments:
        sys.exit(__doc__)
    build_dir = arguments[0]
    wanted = set(arguments[1:])
    mutants = [m for m in read_mutants() if not wanted or m["name"] in wanted]

    built, log = build(build_dir)
    passed, failed = (built, []) if skip_baseline or not built else run_tests(build_dir)
    if not passed:
        sys.exit("the unchanged tree does not pass: %s\n%s" % (" ".join(failed), log[-2000:]))

    rows = []
    for mutant in mutants:
        outcome, detail = plant(mutant, build_dir)
        print("%-32s %-18s %s" % (mutant["name"], outcome, detail), flush=True)
        rows.append((mutant["name"], outcome))
    build(build_dir)  # leave the build folder matching the sources

    print("\n%-32s %s" % ("fault", "result"))
    for name, outcome in rows:
        print("%-32s %s" % (name, outcome))
    caught = sum(1 for _, outcome in rows if outcome == "caught")
    print("\n%d of %d faults caught" % (caught, len(rows)))
    sys.exit(0 if caught == len(rows) else 1)


if __name__ == "__main__":
    main()
