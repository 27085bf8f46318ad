#!/bin/bash
# check_translations.sh LUPDATE TS FOLDER...
# lupdate over the folders into a copy of TS: fails when a text has no finished translation, or
# when the copy differs from TS (texts added, changed or gone since TS was last brought up to date).
set -euo pipefail
lupdate=$1 ts=$2
shift 2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cp "$ts" "$tmp/check.ts"
root=$(cd "$(dirname "$ts")/.." && pwd)
"$lupdate" -silent -I "$root" -locations none -no-obsolete -no-ui-lines -extensions cpp,h "$@" -ts "$tmp/check.ts"
status=0
if grep -n -B3 'type="unfinished"' "$tmp/check.ts"; then
    echo "texts above have no finished translation (fill them in $ts)" >&2
    status=1
fi
if ! diff -u "$ts" "$tmp/check.ts"; then
    echo "$ts is out of date: cmake --build build --target update_translations" >&2
    status=1
fi
exit $status
