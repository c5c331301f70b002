#!/usr/bin/env python3
"""Plants listed faults one at a time and reports which ones the test suite catches.

    python3 tools/mutation/mutate.py [--only ID,...] [--subsystem NAME,...] [--list]
                                     [--faults FILE] [--rev COMMIT] [--timeout SECONDS]
                                     [--no-baseline] [--workdir DIR]

For every selected fault of tools/mutation/faults.txt the tool edits one file of a
private clone of the commit (build-mutants/src, made on first use and reset to the
commit on every run), rebuilds it incrementally in build-mutants/build (one build
folder for all mutants), runs the CTest suite (under xvfb-run when there is no
display) and puts the file back. Each fault ends as one of:

    killed        a test failed
    killed (timeout)  the suite ran past the time limit and was stopped: a hang
    survived      every test passed: a test is missing, or the edit is harmless
    build-broken  the mutant did not compile (the list should hold faults that do)
    not-applied   the search text is not in the file exactly once (the list is stale)

A fault in packaging/, or in a script that CI's install and package checks run
(scripts/test-install.sh, scripts/test-package.sh and the scripts they call), is
also run through those checks, after the suites it names and before the others;
so is the unchanged commit when such a fault is selected. The checks work on the
private clone, whose build/ is the mutants' build folder.

The kill rate is killed / (killed + survived). Logs of every mutant go to
build-mutants/logs/, the summary to build-mutants/report.txt. The exit status is 0
only when every selected fault was killed. Run on demand; it takes hours for the
whole list, so CI does not run it.
"""

import argparse
import os
import re
import shutil
import signal
import subprocess
import sys
import time
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]
KEYS = ("id", "subsystem", "file", "search", "replace", "description", "suites")
CI_CHECKS = ("scripts/test-install.sh", "scripts/test-package.sh")


def parse_faults(path):
    """Blocks of "key: value" lines separated by blank lines; "#" starts a comment line.
    A line "| text" continues the previous value on a new line."""
    faults, fault, key = [], {}, None
    for number, line in enumerate(path.read_text().splitlines() + [""], 1):
        if line.startswith("#"):
            continue
        if not line.strip():
            if fault:
                faults.append(fault)
            fault, key = {}, None
        elif line == "|" or line.startswith("| "):
            if key is None:
                sys.exit(f"{path}:{number}: a continuation line needs a key before it")
            fault[key] += "\n" + line[2:]
        else:
            key, sep, value = line.partition(":")
            if not sep or key not in KEYS:
                sys.exit(f"{path}:{number}: expected one of {', '.join(KEYS)}")
            fault[key] = value[1:] if value.startswith(" ") else value
    for fault in faults:
        missing = [k for k in KEYS if k not in fault and k != "suites"]
        if missing:
            sys.exit(f"{path}: fault {fault.get('id', '?')} lacks {', '.join(missing)}")
    ids = [f["id"] for f in faults]
    duplicates = sorted({i for i in ids if ids.count(i) > 1})
    if duplicates:
        sys.exit(f"{path}: ids used twice: {', '.join(duplicates)}")
    return faults


def scripts_run_by_checks(src):
    """The check scripts and every script they name as scripts/NAME.sh, followed through."""
    found, pending = set(), list(CI_CHECKS)
    while pending:
        script = pending.pop()
        if script not in found and (src / script).exists():
            found.add(script)
            pending += re.findall(r"scripts/[\w.-]+\.sh", (src / script).read_text())
    return found


def needs_ci_checks(fault, checked_scripts):
    return fault["file"].startswith("packaging/") or fault["file"] in checked_scripts


def run(command, log, cwd=None, timeout=None):
    """Runs a command with its output appended to `log`; returns its exit status, or
    None when it ran past `timeout` and its whole process group was stopped."""
    with open(log, "a") as out:
        out.write(f"$ {' '.join(command)}\n")
        out.flush()
        process = subprocess.Popen(command, cwd=cwd, stdout=out, stderr=subprocess.STDOUT,
                                   stdin=subprocess.DEVNULL, start_new_session=True)
        try:
            return process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            os.killpg(process.pid, signal.SIGKILL)
            process.wait()
            out.write(f"\n*** stopped after {timeout} s\n")
            return None
        except BaseException:
            os.killpg(process.pid, signal.SIGKILL)
            process.wait()
            raise


class Workspace:
    def __init__(self, workdir, rev, jobs):
        self.src, self.build, self.logs = workdir / "src", workdir / "build", workdir / "logs"
        self.jobs = jobs
        self.logs.mkdir(parents=True, exist_ok=True)
        if not (self.src / ".git").exists():
            subprocess.run(["git", "clone", "--quiet", "--no-checkout", str(REPO), str(self.src)], check=True)
        git = ["git", "-C", str(self.src)]
        subprocess.run(git + ["fetch", "--quiet", str(REPO), rev], check=True)
        subprocess.run(git + ["checkout", "--quiet", "--force", "--detach", "FETCH_HEAD"], check=True)
        subprocess.run(git + ["clean", "--quiet", "-fdx"], check=True)
        (self.src / "build").symlink_to(self.build, target_is_directory=True)

    def build_game(self, log):
        if not (self.build / "CMakeCache.txt").exists():
            if run(["cmake", "-S", str(self.src), "-B", str(self.build), "-DCMAKE_BUILD_TYPE=Release"], log) != 0:
                return False
        if run(["cmake", "--build", str(self.build), f"-j{self.jobs}"], log) != 0:
            return False
        # The contact sheet in docs/ is a picture of the assets that a developer
        # refreshes with every deliberate change to the generator; comparing it would
        # "kill" every asset fault without judging the asset, so it follows the build.
        sheet = self.build / "contact_sheet.png"
        if sheet.exists():
            shutil.copyfile(sheet, self.src / "docs" / "contact_sheet.png")
        return True

    def test(self, log, timeout, first=None, ci_checks=False):
        """Runs the suites named in `first`, then CI's install and package checks if
        asked, then the other suites, stopping at the first failure. Returns
        "passed", "failed" or "timeout", and what failed."""
        prefix = [] if os.environ.get("DISPLAY") else ["xvfb-run", "-a", "-s", "-screen 0 1280x1024x24 -noreset"]
        ctest = prefix + ["ctest", "--output-on-failure", "--stop-on-failure"]
        steps = [(ctest, self.build)]
        if first:
            pattern = "^(" + "|".join(first.split()) + ")$"
            steps = [(ctest + ["-R", pattern], self.build), (ctest + ["-E", pattern], self.build)]
        if ci_checks:
            steps[-1:-1] = [(["bash", script], self.src) for script in CI_CHECKS]
        deadline = time.monotonic() + timeout
        for command, folder in steps:
            status = run(command, log, cwd=folder, timeout=max(1, deadline - time.monotonic()))
            if status is None or "***Timeout" in Path(log).read_text():
                return "timeout", ""
            if status != 0:
                return "failed", command[1] if command[0] == "bash" else failed_suites(log)
        return "passed", ""

    def restore_sheet(self):
        subprocess.run(["git", "-C", str(self.src), "checkout", "--quiet", "--", "docs/contact_sheet.png"],
                       check=False, stderr=subprocess.DEVNULL)


def failed_suites(log):
    text = Path(log).read_text()
    marker = text.rfind("The following tests FAILED:")
    if marker < 0:
        return ""
    names = [line.split("-", 1)[1].split("(")[0].strip()
             for line in text[marker:].splitlines()[1:] if line.strip()[:1].isdigit()]
    return ", ".join(names)


def try_fault(workspace, fault, timeout, ci_checks):
    log = workspace.logs / f"{fault['id']}.log"
    log.write_text(f"{fault['id']}: {fault['description']}\n")
    target = workspace.src / fault["file"]
    if not target.exists():
        return "not-applied", "no such file"
    original = target.read_text()
    count = original.count(fault["search"])
    if count != 1:
        return "not-applied", "search text not found" if count == 0 else f"search text found {count} times"
    try:
        target.write_text(original.replace(fault["search"], fault["replace"]))
        if not workspace.build_game(log):
            return "build-broken", f"see {log}"
        outcome, failed = workspace.test(log, timeout, fault.get("suites"), ci_checks)
        if outcome == "timeout":
            return "killed (timeout)", f"suite stopped after {timeout} s or a test timed out"
        if outcome == "failed":
            return "killed", "by " + (failed or "?")
        return "survived", ""
    finally:
        target.write_text(original)
        workspace.restore_sheet()


def main():
    # Stopping the tool (Ctrl-C, or kill from another shell) stops the running
    # build or suite and still puts the mutated file back.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    signal.signal(signal.SIGINT, signal.default_int_handler)
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--faults", type=Path, default=REPO / "tools" / "mutation" / "faults.txt")
    parser.add_argument("--only", help="comma-separated fault ids")
    parser.add_argument("--subsystem", help="comma-separated subsystems")
    parser.add_argument("--list", action="store_true",
                        help="list the selected faults, marking those that no longer apply to this tree, and stop")
    parser.add_argument("--rev", default="HEAD", help="the commit to mutate (default: HEAD)")
    parser.add_argument("--timeout", type=int, help="seconds per mutant's suite (default: 3 x the baseline's)")
    parser.add_argument("--no-baseline", action="store_true", help="skip the run of the unchanged suite")
    parser.add_argument("--workdir", type=Path, default=REPO / "build-mutants")
    parser.add_argument("--jobs", type=int, default=os.cpu_count() or 2)
    args = parser.parse_args()

    faults = parse_faults(args.faults)
    if args.only:
        wanted = set(args.only.split(","))
        unknown = wanted - {f["id"] for f in faults}
        if unknown:
            sys.exit(f"unknown fault ids: {', '.join(sorted(unknown))}")
        faults = [f for f in faults if f["id"] in wanted]
    if args.subsystem:
        faults = [f for f in faults if f["subsystem"] in args.subsystem.split(",")]
    if args.list:
        for f in faults:
            target = REPO / f["file"]
            count = target.read_text().count(f["search"]) if target.exists() else 0
            state = "" if count == 1 else f"  <- search text found {count} times"
            print(f"{f['id']:32} {f['subsystem']:10} {f['description']}{state}")
        return 0

    rev = subprocess.run(["git", "-C", str(REPO), "rev-parse", args.rev], check=True,
                         capture_output=True, text=True).stdout.strip()
    print(f"{len(faults)} faults on {rev[:10]}, working in {args.workdir}", flush=True)
    workspace = Workspace(args.workdir.resolve(), rev, args.jobs)
    checked_scripts = scripts_run_by_checks(workspace.src)
    any_ci_checks = any(needs_ci_checks(f, checked_scripts) for f in faults)
    timeout = args.timeout or 1800
    if not args.no_baseline:
        log = workspace.logs / "baseline.log"
        log.write_text("")
        started = time.monotonic()
        if not workspace.build_game(log) or workspace.test(log, timeout, ci_checks=any_ci_checks)[0] != "passed":
            sys.exit(f"the unchanged commit does not build or pass its suite; see {log}")
        workspace.restore_sheet()
        seconds = time.monotonic() - started
        timeout = args.timeout or max(600, int(3 * seconds))
        print(f"baseline passed in {seconds:.0f} s; each mutant's suite may take {timeout} s", flush=True)

    results = []
    for number, fault in enumerate(faults, 1):
        started = time.monotonic()
        outcome, detail = try_fault(workspace, fault, timeout, needs_ci_checks(fault, checked_scripts))
        results.append((fault, outcome, detail))
        print(f"[{number}/{len(faults)}] {fault['id']:32} {outcome:16} {detail} ({time.monotonic() - started:.0f} s)",
              flush=True)

    def with_outcome(*names):
        return [r for r in results if r[1] in names]

    killed = with_outcome("killed", "killed (timeout)")
    survived = with_outcome("survived")
    lines = [f"faults: {len(results)}; killed {len(killed)} ({len(with_outcome('killed (timeout)'))} by timeout), "
             f"survived {len(survived)}, build-broken {len(with_outcome('build-broken'))}, "
             f"not-applied {len(with_outcome('not-applied'))}"]
    if killed or survived:
        lines.append(f"kill rate: {100.0 * len(killed) / (len(killed) + len(survived)):.1f} %")
    for fault, outcome, detail in results:
        if outcome not in ("killed", "killed (timeout)"):
            lines.append(f"{outcome}: {fault['id']} ({fault['subsystem']}): {fault['description']} {detail}".rstrip())
    report = "\n".join(lines)
    print(report)
    (args.workdir / "report.txt").write_text(report + "\n")
    return 0 if len(killed) == len(results) else 1


if __name__ == "__main__":
    sys.exit(main())
