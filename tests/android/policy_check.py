"""The daemon's SELinux policy (key_daemon/sepolicy), checked as far as this machine allows: m4
expands it with stand-ins for the AOSP macros it uses, checkpolicy compiles it against a minimal
base declaring the AOSP types and attributes it names, and each contexts line has its form and a
declared type of its kind. It fits the daemon: file_contexts labels what tavrion.rc starts (which
Android.bp installs by init_rc), property_contexts names exactly the properties the daemon reads.

    policy_check.py [POLICY_DIR]   (default: key_daemon/sepolicy)"""

import glob
import os
import re
import subprocess
import sys
import tempfile

import blueprint

HERE = os.path.dirname(os.path.realpath(__file__))
ROOT = os.path.realpath(os.path.join(HERE, "..", ".."))
CONTEXT = r"\s+u:object_r:(\w+):s0"
FILE_LINE = re.compile(r"(/\S*)(?:\s+--|\s+-[dcblps])?" + CONTEXT + r"$")
PROPERTY_LINE = re.compile(r"([\w.\-]+)" + CONTEXT +
                           r"(?:\s+(?:exact|prefix))?(?:\s+(?:string|bool|u?int|double|enum\s.+))?$")
# A property name in the daemon's code: words joined by at least two dots.
PROPERTY_NAME = re.compile(r'"([A-Za-z]\w*(?:\.\w+){2,})"')


def entries(path):
    """(line number, text) of each line that is neither blank nor a comment."""
    with open(path) as handle:
        for number, text in enumerate(handle, 1):
            if text.strip() and not text.lstrip().startswith("#"):
                yield number, text.strip()


def compile_policy(policy_dir, problems):
    """The declared types, each with its attributes, once the policy compiles."""
    sources = ([os.path.join(HERE, "sepolicy", n) for n in ("macros.m4", "base_head.conf")] +
               sorted(glob.glob(os.path.join(policy_dir, "*.te"))) +
               [os.path.join(HERE, "sepolicy", "base_tail.conf")])
    expanded = subprocess.run(["m4", "--fatal-warnings", "-s"] + sources, capture_output=True,
                              text=True)
    with tempfile.TemporaryDirectory() as out:
        conf = os.path.join(out, "policy.conf")
        with open(conf, "w") as handle:
            handle.write(expanded.stdout)
        built = subprocess.run(["checkpolicy", "-M", "-c", "30", "-o", os.path.join(out, "bin"),
                                conf], capture_output=True, text=True)
    for step, result in (("m4", expanded), ("checkpolicy", built)):
        if result.returncode != 0:
            problems.append(f"{step} rejects the policy: {result.stderr.strip()}")
            return {}
    declared = re.findall(r"\btype\s+(\w+)\s*((?:,\s*\w+\s*)*);", expanded.stdout)
    return {name: set(re.findall(r"\w+", attributes)) for name, attributes in declared}


def check_contexts(policy_dir, types, problems):
    """The paths and property names labelled, each line checked."""
    labelled = {}
    for name, form, kind in (("file_contexts", FILE_LINE, "file_type"),
                             ("property_contexts", PROPERTY_LINE, "property_type")):
        path = os.path.join(policy_dir, name)
        labelled[name] = set()
        for number, text in entries(path) if os.path.exists(path) else []:
            match = form.match(text)
            if not match:
                problems.append(f"{path}:{number}: not a {name} line: {text}")
            elif kind not in types.get(match.group(2), ()):
                problems.append(f"{path}:{number}: {match.group(2)} is no declared {kind}")
            else:
                labelled[name].add(match.group(1))
    return labelled


def check_daemon_fit(labelled, problems):
    tavrion = blueprint.Tree(ROOT).ours("tavrion")
    if not tavrion.get("vendor") or "tavrion.rc" not in tavrion.get("init_rc", []):
        problems.append("Android.bp: tavrion is not a vendor program installing tavrion.rc")
    with open(os.path.join(ROOT, tavrion.dir, "tavrion.rc")) as handle:
        started = re.findall(r"^service\s+\S+\s+(\S+)", handle.read(), re.M)
    for path in set(started + ["/vendor/bin/tavrion"]) - labelled["file_contexts"]:
        problems.append(f"file_contexts does not label {path}, which init starts")
    read = set()
    for source in glob.glob(os.path.join(ROOT, "key_daemon", "**", "*.cpp"), recursive=True):
        with open(source) as handle:
            read |= set(PROPERTY_NAME.findall(handle.read()))
    for name in read ^ labelled["property_contexts"]:
        where = "the daemon reads" if name in read else "property_contexts labels"
        problems.append(f"property_contexts: {name}: only {where} it")


def main():
    policy_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "key_daemon", "sepolicy")
    problems = []
    types = compile_policy(policy_dir, problems)
    if types:
        check_daemon_fit(check_contexts(policy_dir, types, problems), problems)
    for problem in problems:
        print(f"android-check: {problem}", file=sys.stderr)
    if problems:
        sys.exit(1)
    print("android-check: the SELinux policy compiles against the AOSP declarations it names, "
          "and its contexts fit the daemon")


if __name__ == "__main__":
    main()
