#!/usr/bin/env python3
"""Fault-injection round: plants each fault of faults.txt, one at a time, in a private copy
of the repository, rebuilds, runs the test suite and records whether it noticed.

    python3 tests/faults/run.py                      # every fault, on HEAD
    python3 tests/faults/run.py --working-tree       # HEAD plus the uncommitted tests/
    python3 tests/faults/run.py --only ID ... --folder src/scene --out results.tsv
    python3 tests/faults/run.py --check              # only parse and look for stale faults

Nothing in the repository it is started from is touched: the copy is a git worktree (or a
git archive export) in a scratch folder with its own build folder.
"""

import argparse
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
FOLDERS = ["src/app", "src/platform", "src/states", "src/scene", "src/gfx", "src/effects", "src/audio",
           "Assets/Shader"]
SHADER_FOLDER = "Assets/Shader"
# Neither tests src/ nor the shaders: the .deb's contents and the asset generator.
EXCLUDED_TESTS = "package|assetgen"
XVFB = ["xvfb-run", "-a", "-s", "-screen 0 1280x1024x24 -noreset"]
KEYS = ("id", "file", "find", "replace", "note", "equivalent")


class Stop(Exception):
    """Interrupted (Ctrl-C or SIGTERM): restore, report what was done, clean up."""


# An interrupt while a file is being put back waits until it is whole again.
SIGNALS = {"restoring": False, "pending": False}


def on_signal(signum, frame):
    if SIGNALS["restoring"]:
        SIGNALS["pending"] = True
    else:
        raise Stop()


class Fault:
    def __init__(self, fields, line):
        self.line = line
        self.id = fields["id"]
        self.file = fields["file"]
        self.find = fields["find"].replace("\\n", "\n")
        self.replace = fields["replace"].replace("\\n", "\n")
        self.note = fields["note"]
        self.equivalent = fields.get("equivalent", "no").strip().lower() == "yes"

    @property
    def folder(self):
        for folder in FOLDERS:
            if self.file.startswith(folder + "/"):
                return folder
        return "other"

    @property
    def shader(self):
        return self.file.startswith(SHADER_FOLDER + "/")


def parse_faults(path):
    """Blocks of `key: value` lines separated by blank lines; lines starting with # are
    comments. A value runs to the end of its line (`replace:` alone is an empty value)."""
    faults, errors, block, start = [], [], {}, 0
    lines = path.read_text(encoding="utf-8").split("\n") + [""]
    for number, line in enumerate(lines, 1):
        if line.startswith("#"):
            continue
        if not line.strip():
            if block:
                missing = [k for k in KEYS[:5] if k not in block]
                if missing:
                    errors.append(f"{path}:{start}: missing {', '.join(missing)}")
                else:
                    faults.append(Fault(block, start))
                block = {}
            continue
        key, sep, value = line.partition(":")
        if not sep or key not in KEYS:
            errors.append(f"{path}:{number}: not a `key: value` line: {line!r}")
            continue
        if key in block:
            errors.append(f"{path}:{number}: {key} given twice in one fault")
        if not block:
            start = number
        block[key] = value[1:] if value.startswith(" ") else value
    seen = set()
    for fault in faults:
        if fault.id in seen:
            errors.append(f"{path}:{fault.line}: duplicate id {fault.id}")
        seen.add(fault.id)
        if fault.find == fault.replace:
            errors.append(f"{path}:{fault.line}: {fault.id}: find and replace are the same")
        if fault.folder == "other":
            errors.append(f"{path}:{fault.line}: {fault.id}: {fault.file} is outside "
                          f"{', '.join(FOLDERS)}")
    return faults, errors


def run(cmd, cwd=None, timeout=None, log=None):
    """Runs `cmd` in its own process group (so a timeout or an interrupt ends all of its
    children, Xvfb included); returns (status, output)."""
    proc = subprocess.Popen(cmd, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                            start_new_session=True, text=True, errors="replace")
    try:
        output, _ = proc.communicate(timeout=timeout)
        status = proc.returncode
    except subprocess.TimeoutExpired:
        os.killpg(proc.pid, signal.SIGKILL)
        output, _ = proc.communicate()
        status, output = 124, output + f"\n[run.py: killed after {timeout} s]\n"
    except BaseException:
        try:
            os.killpg(proc.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        proc.wait()
        raise
    if log is not None:
        with open(log, "a", encoding="utf-8") as out:
            out.write(f"$ {' '.join(cmd)}\n{output}\n[status {status}]\n\n")
    return status, output


def git(repo, *args):
    return subprocess.run(["git", "-C", str(repo), *args], check=True, capture_output=True,
                          text=True).stdout


TEST_LINE = re.compile(r"Test\s+#\d+: (\S+?)(?:\*\*\*|\s|\.\.)(.*)$")


def failed_tests(output):
    """Names of the tests that did not pass, in the order ctest finished them."""
    failed = []
    for line in output.splitlines():
        match = TEST_LINE.search(line)
        if match and not re.search(r"\bPassed\b", match.group(2)):
            name = match.group(1).rstrip(".")
            if name not in failed:
                failed.append(name)
    return failed


class Round:
    def __init__(self, args):
        self.args = args
        self.repo = Path(git(HERE, "rev-parse", "--show-toplevel").strip())
        self.scratch = None
        self.tree = None
        self.build = None
        self.worktree = False
        self.dirty = False  # the build holds objects from a restored C++ fault
        self.results = []

    # --- the private copy ---------------------------------------------------------------

    def make_copy(self):
        args = self.args
        if args.scratch:
            self.scratch = Path(args.scratch).resolve()
            if self.scratch.exists() and any(self.scratch.iterdir()):
                sys.exit(f"run.py: {self.scratch} exists and is not empty")
            self.scratch.mkdir(parents=True, exist_ok=True)
        else:
            self.scratch = Path(tempfile.mkdtemp(prefix="drifthold-faults-"))
        if self.scratch == self.repo or self.repo in self.scratch.parents:
            sys.exit("run.py: the scratch folder must lie outside the repository")
        self.tree = self.scratch / "tree"
        self.build = self.scratch / "build"
        revision = git(self.repo, "rev-parse", "--verify", args.rev + "^{commit}").strip()
        print(f"Copy of {args.rev} ({revision[:12]}) in {self.tree}", flush=True)
        if args.archive:
            self.tree.mkdir()
            archive = subprocess.Popen(["git", "-C", str(self.repo), "archive", revision],
                                       stdout=subprocess.PIPE)
            subprocess.run(["tar", "-x", "-C", str(self.tree)], stdin=archive.stdout,
                           check=True)
            if archive.wait() != 0:
                sys.exit("run.py: git archive failed")
        else:
            git(self.repo, "worktree", "add", "--detach", str(self.tree), revision)
            self.worktree = True
        if args.working_tree:
            self.copy_working_tests(revision)

    def copy_working_tests(self, revision):
        """The working tree's tests/ as it is now: changed and new files copied over, deleted
        ones deleted, so a suite can be measured before it is committed."""
        changed = git(self.repo, "diff", "--name-only", "-z", revision, "--", "tests")
        untracked = git(self.repo, "ls-files", "-o", "--exclude-standard", "-z", "--", "tests")
        paths = sorted({p for p in (changed + untracked).split("\0") if p})
        for relative in paths:
            source, target = self.repo / relative, self.tree / relative
            if source.is_file():
                target.parent.mkdir(parents=True, exist_ok=True)
                shutil.copy2(source, target)
            elif target.exists() and not source.exists():
                target.unlink()
        print(f"Working tree's tests/ copied over: {len(paths)} changed, new or deleted "
              f"files", flush=True)

    def remove_copy(self):
        if self.scratch is None:
            return
        if self.args.keep:
            print(f"Kept {self.scratch}")
            return
        if self.worktree:
            try:
                git(self.repo, "worktree", "remove", "--force", str(self.tree))
            except subprocess.CalledProcessError as error:
                print(f"run.py: git worktree remove failed ({error.stderr.strip()}); "
                      f"`git worktree prune` clears the entry", file=sys.stderr)
        shutil.rmtree(self.scratch, ignore_errors=True)

    # --- build and test -----------------------------------------------------------------

    def configure(self, log):
        return run(["cmake", "-S", str(self.tree), "-B", str(self.build),
                    "-DCMAKE_BUILD_TYPE=RelWithDebInfo", "-DDRIFTHOLD_TOOLS=OFF"], log=log)

    def compile(self, log):
        status, output = run(["cmake", "--build", str(self.build), f"-j{self.args.jobs}"],
                             timeout=self.args.build_timeout, log=log)
        return status, output

    def ctest(self, log, only=None):
        cmd = XVFB + ["ctest", f"-j{self.args.jobs}", "--timeout", str(self.args.timeout),
                      "--output-on-failure", "-E", EXCLUDED_TESTS]
        if only is None:
            cmd.append("--stop-on-failure")
        else:
            cmd += ["-R", "^" + re.escape(only) + "$"]
        # Generous: the per-test timeout is what bounds a hanging test.
        return run(cmd, cwd=self.build, timeout=self.args.timeout * 20 + 600, log=log)

    def baseline(self, logs):
        log = logs / "baseline.log"
        print("Building and testing the unmodified tree ...", flush=True)
        started = time.monotonic()
        for step, action in (("configure", self.configure), ("build", self.compile)):
            status, output = action(log)
            if status != 0:
                print(output[-4000:])
                sys.exit(f"run.py: the unmodified tree does not {step} (see {log}); "
                         f"no fault was tried")
        status, output = self.ctest(log)
        if status != 0:
            print(output[-4000:])
            failed = ", ".join(failed_tests(output)) or f"ctest status {status}"
            sys.exit(f"run.py: the unmodified tree fails its tests ({failed}; see {log}); "
                     f"no fault was tried")
        print(f"Unmodified tree builds and passes ({time.monotonic() - started:.0f} s)",
              flush=True)

    # --- one fault ----------------------------------------------------------------------

    def try_fault(self, fault, logs):
        path = self.tree / fault.file
        log = logs / f"{fault.id}.log"
        result = {"id": fault.id, "folder": fault.folder, "file": fault.file,
                  "equivalent": "yes" if fault.equivalent else "no", "first_failure": "",
                  "confirmed": "", "seconds": 0, "note": fault.note}
        started = time.monotonic()
        original = path.read_text(encoding="utf-8") if path.is_file() else None
        count = original.count(fault.find) if original is not None and fault.find else 0
        if count != 1:
            result["status"] = "stale"
            result["first_failure"] = ("file missing" if original is None
                                       else f"find occurs {count} times")
            return result
        try:
            path.write_text(original.replace(fault.find, fault.replace, 1), encoding="utf-8")
            if not fault.shader or self.dirty:
                status, output = self.compile(log)
                if not fault.shader:
                    self.dirty = True
                if status != 0:
                    result["status"] = "not-building"
                    errors = [l for l in output.splitlines() if "error" in l.lower()]
                    result["first_failure"] = errors[0].strip()[:200] if errors else \
                        f"build status {status}"
                    return result
                if fault.shader:
                    self.dirty = False
            status, output = self.ctest(log)
            if status == 0:
                result["status"] = "missed"
                return result
            result["status"] = "caught"
            failed = failed_tests(output)
            if not failed:
                result["first_failure"] = f"(ctest status {status}, no test named)"
                result["confirmed"] = "no"
                return result
            result["first_failure"] = failed[0]
            if self.args.no_confirm:
                return result
            # A failure that does not come back on its own is worth a look: the test may
            # be flaky rather than the fault caught.
            again, _ = self.ctest(log, only=failed[0])
            result["confirmed"] = "yes" if again != 0 else "no"
            return result
        finally:
            self.restore(path, original)
            result["seconds"] = round(time.monotonic() - started)

    @staticmethod
    def restore(path, original):
        if original is None:
            return
        SIGNALS["restoring"] = True
        try:
            before = path.stat().st_mtime_ns if path.exists() else 0
            path.write_text(original, encoding="utf-8")
            # Newer than the faulty version, so make rebuilds the object it went into.
            stamp = max(time.time_ns(), before + 1_000_000)
            os.utime(path, ns=(stamp, stamp))
        finally:
            SIGNALS["restoring"] = False
        if SIGNALS["pending"]:
            SIGNALS["pending"] = False
            raise Stop()

    # --- the whole round ----------------------------------------------------------------

    def go(self, faults, out):
        logs = out.with_suffix(".logs")
        logs.mkdir(parents=True, exist_ok=True)
        self.make_copy()
        self.baseline(logs)
        started = time.monotonic()
        for index, fault in enumerate(faults, 1):
            result = self.try_fault(fault, logs)
            self.results.append(result)
            write_tsv(out, self.results)
            shown = result["status"] + (" (equivalent)" if fault.equivalent else "")
            detail = f"  {result['first_failure']}" if result["first_failure"] else ""
            if result["confirmed"] == "no":
                detail += "  [not on rerun]"
            print(f"[{index}/{len(faults)}] {fault.id}: {shown}{detail} ({result['seconds']} s)",
                  flush=True)
        return time.monotonic() - started


def write_tsv(out, results):
    columns = ["id", "folder", "file", "status", "equivalent", "first_failure", "confirmed",
               "seconds", "note"]
    lines = ["\t".join(columns)]
    for result in results:
        lines.append("\t".join(str(result.get(c, "")).replace("\t", " ") for c in columns))
    out.write_text("\n".join(lines) + "\n", encoding="utf-8")


def summary(results, seconds, interrupted):
    rows, lines = [], []
    header = f"{'folder':<15}{'faults':>7}{'caught':>7}{'missed':>7}{'equiv':>7}" \
             f"{'no build':>9}{'stale':>6}  missed ids"
    lines += [header, "-" * len(header)]
    for folder in FOLDERS + ["other"]:
        mine = [r for r in results if r["folder"] == folder]
        if not mine and folder == "other":
            continue
        plain = [r for r in mine if r["equivalent"] == "no"]
        caught = [r for r in plain if r["status"] == "caught"]
        missed = [r["id"] for r in plain if r["status"] == "missed"]
        equivalent = [r for r in mine if r["equivalent"] == "yes"]
        broken = [r for r in mine if r["status"] == "not-building"]
        stale = [r for r in mine if r["status"] == "stale"]
        rows.append((folder, plain, caught))
        lines.append(f"{folder:<15}{len(mine):>7}{len(caught):>7}{len(missed):>7}"
                     f"{len(equivalent):>7}{len(broken):>9}{len(stale):>6}  "
                     f"{', '.join(missed) or '-'}")
    lines.append("")

    def share(selected, label):
        counted = [r for r in selected if r["status"] in ("caught", "missed")]
        caught = [r for r in counted if r["status"] == "caught"]
        if counted:
            lines.append(f"{label}: {len(caught)} of {len(counted)} caught "
                         f"({100.0 * len(caught) / len(counted):.1f}%)")
        else:
            lines.append(f"{label}: none run")

    plain = [r for r in results if r["equivalent"] == "no"]
    share([r for r in plain if r["folder"] != SHADER_FOLDER], "C++ faults (not equivalent)")
    share([r for r in plain if r["folder"] == SHADER_FOLDER], "Shader faults (not equivalent)")
    lines.append("(faults that do not build or are stale count in neither share)")
    noisy = [r["id"] for r in results if r["status"] == "caught" and r["confirmed"] == "no"]
    if noisy:
        lines.append("Caught, but the failing test passed when run again (flaky?): "
                     + ", ".join(noisy))
    suspicious = [r["id"] for r in results if r["equivalent"] == "yes" and
                  r["status"] == "caught"]
    if suspicious:
        lines.append("Marked equivalent yet caught (the mark or the test is wrong): "
                     + ", ".join(suspicious))
    lines.append(f"Faults tried: {len(results)} in {seconds / 60:.1f} min"
                 + (" (interrupted)" if interrupted else ""))
    return "\n".join(lines) + "\n"


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--faults", default=str(HERE / "faults.txt"), help="the fault list")
    parser.add_argument("--rev", default="HEAD", help="revision to copy (default HEAD)")
    parser.add_argument("--working-tree", action="store_true",
                        help="copy the working tree's uncommitted tests/ over the revision")
    parser.add_argument("--archive", action="store_true",
                        help="export with git archive instead of adding a git worktree")
    parser.add_argument("--only", nargs="+", metavar="ID", help="just these faults")
    parser.add_argument("--folder", nargs="+", metavar="FOLDER",
                        help="just the faults in these folders (e.g. src/scene Assets/Shader)")
    parser.add_argument("--out", help="results file (TSV); the summary goes beside it as "
                        ".summary.txt and the logs into a .logs folder (default: in the "
                        "system's temp folder)")
    parser.add_argument("--scratch", help="folder for the copy and its build (default: a new "
                        "temp folder)")
    parser.add_argument("--keep", action="store_true", help="keep the copy and build")
    parser.add_argument("--jobs", type=int, default=2, help="build and ctest jobs (2)")
    parser.add_argument("--timeout", type=int, default=180, help="per-test timeout, s (180)")
    parser.add_argument("--build-timeout", type=int, default=3600, help="per build, s")
    parser.add_argument("--no-confirm", action="store_true",
                        help="do not rerun the first failing test of a caught fault")
    parser.add_argument("--check", action="store_true",
                        help="only parse the list and check each find against the revision")
    args = parser.parse_args()

    faults, errors = parse_faults(Path(args.faults))
    if errors:
        sys.exit("\n".join(errors))
    if args.only:
        unknown = set(args.only) - {f.id for f in faults}
        if unknown:
            sys.exit(f"run.py: no fault named {', '.join(sorted(unknown))}")
        faults = [f for f in faults if f.id in args.only]
    if args.folder:
        wanted = [f.rstrip("/") for f in args.folder]
        faults = [f for f in faults if f.folder in wanted]
    if not faults:
        sys.exit("run.py: no fault selected")

    if args.check:
        repo = Path(git(HERE, "rev-parse", "--show-toplevel").strip())
        stale = 0
        for fault in faults:
            try:
                text = git(repo, "show", f"{args.rev}:{fault.file}")
            except subprocess.CalledProcessError:
                text = None
            count = text.count(fault.find) if text is not None else 0
            if count != 1:
                stale += 1
                print(f"{fault.id}: stale ({'no such file' if text is None else f'find occurs {count} times'})")
        folders = {folder: sum(1 for f in faults if f.folder == folder) for folder in FOLDERS}
        print(f"{len(faults)} faults ({sum(not f.shader for f in faults)} C++, "
              f"{sum(f.shader for f in faults)} shader, {sum(f.equivalent for f in faults)} "
              f"equivalent), {stale} stale; " +
              ", ".join(f"{k} {v}" for k, v in folders.items()))
        sys.exit(1 if stale else 0)

    if args.out:
        out = Path(args.out).resolve()
    else:
        stamp = time.strftime("%Y%m%d-%H%M%S")
        out = Path(tempfile.gettempdir()) / f"drifthold-faults-{stamp}.tsv"
    out.parent.mkdir(parents=True, exist_ok=True)

    signal.signal(signal.SIGTERM, on_signal)
    signal.signal(signal.SIGINT, on_signal)

    round_ = Round(args)
    seconds, interrupted = 0.0, False
    started = time.monotonic()
    try:
        seconds = round_.go(faults, out)
    except Stop:
        interrupted = True
        seconds = time.monotonic() - started
        print("\nInterrupted: every file is restored", flush=True)
    finally:
        signal.signal(signal.SIGINT, signal.SIG_IGN)
        signal.signal(signal.SIGTERM, signal.SIG_IGN)
        round_.remove_copy()
    if round_.results:
        text = summary(round_.results, seconds, interrupted)
        print("\n" + text, end="")
        summary_path = out.with_suffix(".summary.txt")
        summary_path.write_text(text, encoding="utf-8")
        print(f"Results: {out}\nSummary: {summary_path}\nLogs: {out.with_suffix('.logs')}")
    return 130 if interrupted else 0


if __name__ == "__main__":
    sys.exit(main())
