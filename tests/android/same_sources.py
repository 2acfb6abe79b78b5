"""Android.bp and CMake must build the set's programs from the same sources: a file added to one
and not the other is otherwise found only when a vendor tree builds.

Each program that Android.bp builds for the set is matched with the CMake executable of the same
name. Its sources on the Android.bp side are its own and those of our static libraries linked into
it (filegroups resolved); on the CMake side, those of the executable and of every library it links,
except the stand-ins under platform/, whose place the set's own libraries take.

    same_sources.py CMAKE_BUILD_DIR   (configured with a codemodel-v2 query of the file API)"""

import glob
import json
import os
import sys

import blueprint

ROOT = os.path.realpath(os.path.join(os.path.dirname(__file__), "..", ".."))
COMPILED = (".c", ".cc", ".cpp")


def cmake_targets(build_dir):
    reply = os.path.join(build_dir, ".cmake", "api", "v1", "reply")
    with open(max(glob.glob(os.path.join(reply, "index-*.json")))) as handle:
        index = json.load(handle)
    codemodel = next(r for r in index["reply"].values() if r.get("kind") == "codemodel")
    with open(os.path.join(reply, codemodel["jsonFile"])) as handle:
        configuration = json.load(handle)["configurations"][0]
    targets = {}
    for entry in configuration["targets"]:
        with open(os.path.join(reply, entry["jsonFile"])) as handle:
            targets[entry["id"]] = json.load(handle)
    return targets


def cmake_sources(targets, program):
    """{source: CMake target compiling it} over the program and the libraries it links."""
    found, todo, seen = {}, [program["id"]], set()
    while todo:
        target = targets[todo.pop()]
        if target["id"] in seen or target["paths"]["source"].split("/")[0] == "platform":
            continue
        seen.add(target["id"])
        todo += [d["id"] for d in target.get("dependencies", [])]
        for source in target.get("sources", []):
            if source["path"].endswith(COMPILED) and not source.get("isGenerated"):
                found.setdefault(source["path"], target["name"])
    return found


def bp_sources(tree, program):
    """{source: Android.bp module listing it} over the program and our static libraries in it."""
    found = {}
    for module in [program] + tree.static_deps(program):
        for source in tree.sources(module):
            found.setdefault(source, module.name)
    return found


def main():
    tree = blueprint.Tree(ROOT)
    targets = cmake_targets(sys.argv[1])
    by_name = {t["name"]: t for t in targets.values() if t["type"] == "EXECUTABLE"}
    programs = [m for m in tree.device_modules() if m.kind == "cc_binary"]
    if not programs:
        sys.exit("android-check: Android.bp builds no program for the set")
    problems = []
    for program in programs:
        if program.name not in by_name:
            problems.append(f"Android.bp module {program.name} has no CMake executable "
                            "of that name")
            continue
        bp = bp_sources(tree, program)
        cmake = cmake_sources(targets, by_name[program.name])
        for source in sorted(set(cmake) - set(bp)):
            problems.append(f"{source}: CMake target {cmake[source]} compiles it into "
                            f"{program.name}, no Android.bp module of {program.name} lists it")
        for source in sorted(set(bp) - set(cmake)):
            problems.append(f"{source}: Android.bp module {bp[source]} lists it for "
                            f"{program.name}, no CMake target of {program.name} compiles it")
    for problem in problems:
        print(f"android-check: {problem}", file=sys.stderr)
    if problems:
        sys.exit(1)
    print(f"android-check: Android.bp and CMake build {', '.join(p.name for p in programs)} "
          "from the same sources")


if __name__ == "__main__":
    try:
        main()
    except blueprint.BlueprintError as error:
        sys.exit(f"android-check: {error}")
