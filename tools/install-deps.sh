#!/usr/bin/env bash
# Installs with apt-get whatever the build and the tests need and is missing. The packages are
# listed one per line in tools/deps/*.list (or only the lists named as arguments), all of the
# machine's own architecture: packages of another architecture never go through the system's
# dpkg (tools/foreign-root.sh). Silent when everything is already there.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
if [ $# -gt 0 ]; then
    lists=()
    for name in "$@"; do lists+=("$here/deps/$name.list"); done
else
    lists=("$here"/deps/*.list)
fi

wanted=$(cat "${lists[@]}" | sed -e 's/#.*//' -e 's/[[:space:]]//g' | grep -v '^$' | sort -u)
native=$(dpkg --print-architecture)
missing=()
for pkg in $wanted; do
    # The native or the architecture-independent package, not a foreign copy.
    status=$(dpkg-query -W -f='${Status} ${Architecture}\n' "$pkg" 2>/dev/null |
             awk -v a="$native" '$4 == a || $4 == "all" { print $1, $2, $3; exit }' || true)
    [ "$status" = "install ok installed" ] || missing+=("$pkg")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# The machine's own architecture only: a foreign index that is out of step on the mirror must not
# fail the update, while any real failure does.
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! $sudo apt-get update -q -o "APT::Architectures=$native" -o Acquire::Retries=3 \
        --error-on=any >"$log" 2>&1; then
    echo "install-deps: apt-get update failed: $(grep -m1 '^E:' "$log" || tail -n1 "$log")" >&2
    exit 1
fi
if ! $sudo apt-get install -y -q --no-install-recommends "${missing[@]}" >"$log" 2>&1; then
    echo "install-deps: apt-get install failed: $(grep -m1 '^E:' "$log" || tail -n1 "$log")" >&2
    exit 1
fi
