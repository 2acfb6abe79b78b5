#!/usr/bin/env bash
# Installs with apt-get whatever the build and the tests need and is missing. The packages are
# listed one per line in tools/deps/*.list (or only the lists named as arguments); a name with
# an :arch suffix adds that architecture first. Silent when everything is already there.
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
    # A bare name means the native or the architecture-independent package, not a foreign copy.
    name=${pkg%%:*}
    want=$native
    case "$pkg" in *:*) want=${pkg#*:} ;; esac
    status=$(dpkg-query -W -f='${Status} ${Architecture}\n' "$name" 2>/dev/null |
             awk -v a="$want" '$4 == a || $4 == "all" { print $1, $2, $3; exit }' || true)
    [ "$status" = "install ok installed" ] || missing+=("$pkg")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
for arch in $(printf '%s\n' "${missing[@]}" | sed -n 's/.*:\([a-z0-9]*\)$/\1/p' | sort -u); do
    if ! dpkg --print-foreign-architectures | grep -qx "$arch" && [ "$arch" != "$native" ]; then
        $sudo dpkg --add-architecture "$arch"
    fi
done
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q >/dev/null
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null
