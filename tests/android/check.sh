#!/usr/bin/env bash
# The set's vendor-tree build (Android.bp), checked as far as this machine allows, without a vendor
# tree: every Android.bp as bpfmt writes it; every source the set builds compiling for 32-bit ARM
# against AOSP's own log and property headers, and the off-device stand-ins declaring what those
# headers declare; the daemon's SELinux policy compiling; Android.bp and CMake building the set's
# programs from the same sources. Each check runs even when an earlier one fails, so that one run
# shows every problem.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
out=$repo/build/android-check
cd "$repo"
mkdir -p "$out"
failed=0

"$here/format_check.sh" || failed=1

arm-linux-gnueabihf-g++ -std=c++17 -Wall -Wextra -Werror -I/usr/include/android \
    -isystem "$here/include" -fsyntax-only "$here/stand_ins.cpp" &&
    echo "android-check: platform/android_sim's headers declare what AOSP's declare" || {
    echo "android-check: platform/android_sim's headers declare otherwise than AOSP's" >&2
    failed=1
}
python3 -B "$here/compile_device.py" "$out" || failed=1

python3 -B "$here/policy_check.py" || failed=1
# Proven at every run: a policy that names a type no one declares fails the check.
rm -rf "$out/undeclared-type" && cp -r key_daemon/sepolicy "$out/undeclared-type"
echo "allow tavrion no_such_type:chr_file read;" >>"$out/undeclared-type/tavrion.te"
if python3 -B "$here/policy_check.py" "$out/undeclared-type" 2>/dev/null; then
    echo "android-check: the policy check passed a policy that names an undeclared type" >&2
    failed=1
fi

# CMake's own account of each target's sources (its file API), from a scratch configure.
mkdir -p "$out/cmake/.cmake/api/v1/query"
touch "$out/cmake/.cmake/api/v1/query/codemodel-v2"
if cmake --preset host -B "$out/cmake" -DTAVRION_TESTS=OFF -DTAVRION_CHECKER=OFF \
        -DTAVRION_SANITIZE=OFF >"$out/cmake.log" 2>&1; then
    python3 -B "$here/same_sources.py" "$out/cmake" || failed=1
else
    cat "$out/cmake.log" >&2
    echo "android-check: CMake could not be configured to list its sources" >&2
    failed=1
fi

[ $failed -eq 0 ] || exit 1
echo "android-check: passed"
