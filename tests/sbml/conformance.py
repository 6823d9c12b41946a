#!/usr/bin/env python3
"""SBML Test Suite conformance: imports and runs every case with kora-batch.

Each case ends as one of
  pass     every compared value within the case's tolerances
  wrong    the run finished but some value is outside them (a test failure)
  failed   import gave libSBML errors, or the run failed or timed out
  refused  import named constructs it cannot convert (not a failure)
The exit code is 1 when any case is wrong, failed with a crash, or hung, else 0;
77 (skipped) when the suite archive is not there.
"""
import argparse
import collections
import concurrent.futures
import csv
import os
import re
import subprocess
import sys
import tarfile
import xml.etree.ElementTree as ET

SKIPPED = 77
CASE_TIMEOUT = 30  # seconds per import or run; a case that takes longer hangs


def parse_settings(path):
    settings = {}
    with open(path) as f:
        for line in f:
            if ":" in line:
                key, value = line.split(":", 1)
                settings[key.strip()] = value.strip()

    def names(key):
        return [n.strip() for n in settings.get(key, "").split(",") if n.strip()]

    return {
        "start": float(settings["start"]),
        "duration": float(settings["duration"]),
        "steps": int(float(settings["steps"])),
        "variables": names("variables"),
        "absolute": float(settings["absolute"]),
        "relative": float(settings["relative"]),
        "amount": set(names("amount")),
        "concentration": set(names("concentration")),
    }


def local(tag):
    return tag.rsplit("}", 1)[-1]


def species_info(xml_path):
    """id -> (compartment, hasOnlySubstanceUnits) of every species."""
    info = {}
    for element in ET.parse(xml_path).iter():
        if local(element.tag) == "species" and "id" in element.attrib:
            only = element.attrib.get("hasOnlySubstanceUnits", "false") == "true"
            info[element.attrib["id"]] = (element.attrib.get("compartment", ""), only)
    return info


def renamed(text):
    """SBML id -> model name from the converter's "// 'id' is named name" lines."""
    return dict(re.findall(r"^// '([^']*)' is named (\S+)\r?$", text, re.M))


def prepared_text(text, settings, species):
    """The converted text with the case's time settings and an output list."""
    names = renamed(text)

    def name(sbml_id):
        return names.get(sbml_id, sbml_id)

    lines = []
    for line in text.splitlines():
        if re.match(r"^((t0|tf|hr|Npoints) = |!!)", line):
            continue
        lines.append(line)
    start, duration = settings["start"], settings["duration"]
    lines.append("t0 = %r" % start)
    lines.append("tf = %r" % (start + duration))
    lines.append("hr = %r" % (duration / settings["steps"]))
    outputs = []
    for i, variable in enumerate(settings["variables"]):
        expression = name(variable)
        if variable in species:
            compartment, only_amount = species[variable]
            if variable in settings["amount"] and not only_amount:
                expression = "%s*%s" % (name(variable), name(compartment))
            elif variable in settings["concentration"] and only_amount:
                expression = "%s/%s" % (name(variable), name(compartment))
        out = "kora_out_%d" % (i + 1)
        lines.append("%s = %s" % (out, expression))
        outputs.append(out)
    lines.append("!! " + ", ".join(outputs))
    return "\n".join(lines) + "\n"


def read_rows(text):
    """Rows of numbers of the first data block of `kora-batch run` output."""
    rows = []
    for line in text.splitlines():
        cells = line.strip().split("\t")
        try:
            rows.append([float(c) for c in cells])
        except ValueError:
            if rows:
                break
    return rows


def compare(rows, expected_path, settings):
    with open(expected_path) as f:
        table = list(csv.reader(f))
    header = [h.strip() for h in table[0]]
    # At an event time the last row holds the values after the event.
    by_time = {}
    for row in rows:
        by_time[round(row[0], 9)] = row
    worst = ""
    for line in table[1:]:
        if not line:
            continue
        t = float(line[0])
        got = by_time.get(round(t, 9))
        if got is None:
            return "no row at time %g" % t  # not a wrong value: reported as failed
        for column, variable in enumerate(settings["variables"]):
            e = float(line[header.index(variable, 1)])
            s = got[column + 1]
            if e != e:  # NaN expected
                if s == s:
                    return "%s at %g: %r, expected NaN" % (variable, t, s)
                continue
            if abs(e) == float("inf"):
                if s != e:
                    return "%s at %g: %r, expected %r" % (variable, t, s, e)
                continue
            if not abs(s - e) <= settings["absolute"] + settings["relative"] * abs(e):
                return "%s at %g: %.10g, expected %.10g" % (variable, t, s, e)
    return worst


def refusal_reasons(stderr):
    """The constructs named by a refusal, without the element names."""
    reasons = []
    for line in stderr.splitlines()[1:]:
        line = line.strip()
        reason = re.sub(r"'[^']*'", "'…'", line)
        reasons.append(reason)
    return sorted(set(reasons))


def anonymous(reason):
    """A failure's text without its case's names and numbers, to group by."""
    reason = re.sub(r"\S*/runs/\d+\.krm", "MODEL", reason)
    reason = re.sub(r"^\w+ at ", "X at ", reason)
    return re.sub(r"(?<![\w.])[-+]?\d[\d.]*(e[-+]?\d+)?", "#", reason)


def run_case(case_dir, batch, settings_ini, work, timeout=CASE_TIMEOUT):
    case = os.path.basename(case_dir)
    # Cases with external model definitions hold their other files beside the model.
    xmls = sorted(f for f in os.listdir(case_dir)
                  if f.startswith(case + "-sbml-") and f.endswith(".xml"))
    xml = os.path.join(case_dir, xmls[-1])
    settings = parse_settings(os.path.join(case_dir, case + "-settings.txt"))
    model = os.path.join(work, case + ".krm")
    try:
        imported = subprocess.run([batch, "import", xml, "-o", model], capture_output=True,
                                  text=True, timeout=timeout)
    except subprocess.TimeoutExpired:
        return case, "failed", ["import hangs"], True
    if imported.returncode < 0 or imported.returncode > 2:
        return case, "failed", ["import crashed (%d)" % imported.returncode], True
    if imported.returncode != 0:
        if "cannot be converted" in imported.stderr:
            return case, "refused", refusal_reasons(imported.stderr), False
        return case, "failed", ["import: " + r for r in refusal_reasons(imported.stderr)], False
    with open(model) as f:
        text = prepared_text(f.read(), settings, species_info(xml))
    with open(model, "w") as f:
        f.write(text)
    try:
        ran = subprocess.run([batch, "run", model, "--settings", settings_ini],
                             capture_output=True, text=True, timeout=timeout)
    except subprocess.TimeoutExpired:
        return case, "failed", ["run hangs"], True
    if ran.returncode < 0:
        return case, "failed", ["run crashed (%d)" % ran.returncode], True
    if ran.returncode != 0:
        message = (ran.stderr.strip().splitlines() or ["exit %d" % ran.returncode])
        return case, "failed", ["run: " + " ".join(message)[:200]], False
    problem = compare(read_rows(ran.stdout), os.path.join(case_dir, case + "-results.csv"),
                      settings)
    if problem.startswith("no row"):
        return case, "failed", ["run: " + problem], False
    if problem:
        return case, "wrong", [problem], True
    return case, "pass", [], False


def extracted_suite(archive, work):
    root = os.path.join(work, "cases")
    marker = os.path.join(root, ".extracted")
    if not os.path.exists(marker) or os.path.getmtime(marker) < os.path.getmtime(archive):
        with tarfile.open(archive) as tar:
            tar.extractall(root, filter="data") if hasattr(tarfile, "data_filter") else \
                tar.extractall(root)
        open(marker, "w").close()
    for dirpath, dirnames, _ in os.walk(root):
        cases = sorted(d for d in dirnames if re.fullmatch(r"\d{5}", d))
        if cases:
            return [os.path.join(dirpath, d) for d in cases]
    return []


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--batch", required=True, help="the kora-batch program")
    parser.add_argument("--suite", required=True, help="folder holding the suite's archive")
    parser.add_argument("--work", required=True, help="folder for the extracted cases")
    parser.add_argument("--jobs", type=int, default=os.cpu_count() or 1)
    parser.add_argument("--case-timeout", type=float, default=CASE_TIMEOUT,
                        help="seconds per import or run before a case counts as hanging")
    parser.add_argument("--list", action="store_true", help="print every case's outcome")
    parser.add_argument("cases", nargs="*", help="case numbers to run (default: all)")
    args = parser.parse_args()

    archive = os.path.join(args.suite, "sbml-test-suite-even.tar.xz")
    if not os.path.exists(archive):
        print("SBML Test Suite not found at %s: skipped" % archive)
        return SKIPPED
    os.makedirs(args.work, exist_ok=True)
    cases = extracted_suite(archive, args.work)
    if args.cases:
        wanted = {c.zfill(5) for c in args.cases}
        cases = [c for c in cases if os.path.basename(c) in wanted]
    runs = os.path.join(args.work, "runs")
    os.makedirs(runs, exist_ok=True)
    settings_ini = os.path.join(args.work, "settings.ini")
    with open(settings_ini, "w") as f:
        # Tight tolerances: the suite's references are near-exact.
        f.write("[General]\nMethod=BDF\nMLogTolerance=10\nFilePrec=15\nTablePrec=15\n")

    outcomes = collections.Counter()
    reasons = {"refused": collections.Counter(), "failed": collections.Counter(),
               "wrong": collections.Counter()}
    examples = {}
    fatal = []
    with concurrent.futures.ThreadPoolExecutor(args.jobs) as pool:
        results = pool.map(
            lambda c: run_case(c, args.batch, settings_ini, runs, args.case_timeout), cases)
        for case, outcome, why, is_fatal in results:
            outcomes[outcome] += 1
            if args.list:
                print("%s %s %s" % (case, outcome, "; ".join(why)))
            if outcome in reasons:
                for reason in why if outcome == "refused" else why[:1]:
                    key = reason if outcome == "refused" else anonymous(reason)
                    reasons[outcome][key] += 1
                    examples.setdefault((outcome, key), case)
            if is_fatal:
                fatal.append("%s %s: %s" % (case, outcome, "; ".join(why)))

    total = sum(outcomes.values())
    print("SBML Test Suite: %d cases" % total)
    print("pass %d, wrong %d, failed %d, refused %d (%.1f %% pass)" % (
        outcomes["pass"], outcomes["wrong"], outcomes["failed"], outcomes["refused"],
        100.0 * outcomes["pass"] / max(total, 1)))
    for outcome in ("wrong", "failed", "refused"):
        if reasons[outcome]:
            print("%s, by reason (cases; first case):" % outcome)
            for reason, count in reasons[outcome].most_common():
                print("  %4d  %s  (%s)" % (count, reason, examples[(outcome, reason)]))
    for line in fatal:
        print("FAULT " + line)
    return 1 if fatal else 0


if __name__ == "__main__":
    sys.exit(main())
