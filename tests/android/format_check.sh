#!/usr/bin/env bash
# Every Android.bp must be as Android's own formatter writes it, which its presubmit requires:
# bpfmt -d prints nothing for a well-formed, formatted file, and a diff or a parse error otherwise.
set -euo pipefail
cd "$(dirname "$0")/../.."
failed=0
count=0
while IFS= read -r bp; do
    if ! out=$(bpfmt -d "$bp" 2>&1) || [ -n "$out" ]; then
        printf '%s\n' "$out" >&2
        echo "android-check: $bp is not as bpfmt writes it" >&2
        failed=1
    fi
    count=$((count + 1))
done < <(git ls-files '*Android.bp')
[ $failed -eq 0 ] || exit 1
echo "android-check: $count Android.bp files as bpfmt writes them"
