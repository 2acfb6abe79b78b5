"""Compiles every source that Android.bp builds for the set, with the modules' own flags, for 32-bit
ARM, against AOSP's own liblog and libcutils headers (Debian's android-liblog-dev and
android-libcutils-dev) and the daemon's own declaration of the chip SDK. Objects only: the set's
libraries are not here to link against.

    compile_device.py OUT_DIR"""

import concurrent.futures
import os
import subprocess
import sys

import blueprint

ROOT = os.path.realpath(os.path.join(os.path.dirname(__file__), "..", ".."))
CXX = "arm-linux-gnueabihf-g++"
AOSP_HEADERS = "/usr/include/android"
# Bionic's <sys/system_properties.h>, which <cutils/properties.h> includes and Debian lacks.
BIONIC_STAND_IN = os.path.join(ROOT, "tests", "android", "include")
# The vendor tree compiles C++ without exceptions, and without RTTI unless a module sets
# "rtti: true": code that throws or asks for a type at run time must fail here as it would there.
VENDOR_TREE_DEFAULTS = ["-fno-exceptions"]


def external_headers(out_dir):
    # tinyxml2.h is the same on every architecture; only it is taken from the host, so that no
    # other host header can stand in for the target's.
    tinyxml2 = os.path.join(out_dir, "tinyxml2")
    os.makedirs(tinyxml2, exist_ok=True)
    link = os.path.join(tinyxml2, "tinyxml2.h")
    if not os.path.lexists(link):
        os.symlink("/usr/include/tinyxml2.h", link)
    return {
        "liblog": [AOSP_HEADERS],
        "liblog_headers": [AOSP_HEADERS],
        "libcutils": [AOSP_HEADERS],
        "libcutils_headers": [AOSP_HEADERS],
        "libtinyxml2": [tinyxml2],
        # The chip SDK's libraries: the daemon declares the calls it makes itself.
        "libhi_msp": [],
        "libhicust": [],
        "libhi_securec": [],
    }


def include_dirs(tree, module, external):
    own = module.get("local_include_dirs", []) + module.get("export_include_dirs", [])
    dirs = [os.path.join(module.dir, d) for d in own] + [module.dir]
    deps = (module.get("header_libs", []) + module.get("shared_libs", []) +
            module.get("static_libs", []) + module.get("whole_static_libs", []))
    for name in deps:
        dep = tree.ours(name)
        if dep is not None:
            dirs += [os.path.join(dep.dir, d) for d in dep.get("export_include_dirs", [])]
        elif name in external:
            dirs += external[name]
        else:
            sys.exit(f"android-check: {module.name} uses {name}, whose headers "
                     "tests/android/compile_device.py does not know")
    dirs = list(dict.fromkeys(os.path.normpath(os.path.join(ROOT, d)) for d in dirs))
    for d in dirs:
        if d.startswith(os.path.join(ROOT, "platform") + os.sep):
            sys.exit(f"android-check: {module.name} takes headers from "
                     f"{os.path.relpath(d, ROOT)}, an off-device stand-in")
    return dirs


def command(module, dirs, source, obj):
    flags = VENDOR_TREE_DEFAULTS + ([] if module.get("rtti") else ["-fno-rtti"])
    flags += module.get("cflags", []) + module.get("cppflags", [])
    return ([CXX, "-std=" + module.get("cpp_std", "gnu++17")] + flags +
            [f"-I{d}" for d in dirs] + ["-isystem", BIONIC_STAND_IN, "-c", source, "-o", obj])


def main():
    out_dir = os.path.abspath(sys.argv[1])
    tree = blueprint.Tree(ROOT)
    external = external_headers(out_dir)
    jobs = []
    for module in tree.device_modules():
        dirs = include_dirs(tree, module, external)
        for source in tree.sources(module):
            obj = os.path.join(out_dir, "obj", module.name, source + ".o")
            os.makedirs(os.path.dirname(obj), exist_ok=True)
            jobs.append((module.name, source, command(module, dirs, source, obj)))
    if not jobs:
        sys.exit("android-check: Android.bp builds nothing for the set")

    def run(job):
        return job, subprocess.run(job[2], cwd=ROOT, capture_output=True, text=True)

    failed = 0
    # Two at a time: the machine is shared.
    with concurrent.futures.ThreadPoolExecutor(2) as pool:
        for (name, source, _), result in pool.map(run, jobs):
            if result.returncode != 0:
                failed += 1
                sys.stderr.write(result.stderr)
                print(f"android-check: {source} ({name}) does not compile against AOSP's headers",
                      file=sys.stderr)
    if failed:
        sys.exit(1)
    modules = sorted({name for name, _, _ in jobs})
    print(f"android-check: {len(jobs)} sources of {', '.join(modules)} compile for 32-bit ARM "
          "against AOSP's liblog and libcutils headers")


if __name__ == "__main__":
    try:
        main()
    except blueprint.BlueprintError as error:
        sys.exit(f"android-check: {error}")
