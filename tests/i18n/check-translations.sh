#!/usr/bin/env bash
# check-translations.sh LUPDATE SRC "TS_FILES" LUPDATE_OPTIONS...
# Runs lupdate over the sources into a copy of each .ts file and fails when the copy has an
# entry without its translation (a new or changed text) or one whose text is gone.
# `make translations` updates the real files; their new entries then need their English.
set -euo pipefail
lupdate=$1 src=$2 ts_files=$3
shift 3
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
status=0
for ts in $ts_files; do
  copy=$tmp/$(basename "$ts")
  cp "$ts" "$copy"
  "$lupdate" "$@" "$src" -ts "$copy" >"$tmp/lupdate.out" 2>&1 || { cat "$tmp/lupdate.out"; exit 1; }
  # One <message> per entry: print the sources of the ones that are not finished.
  bad=$(awk '
    /<source>/ { source = $0; sub(/.*<source>/, "", source); sub(/<\/source>.*/, "", source) }
    /<translation type="(unfinished|vanished|obsolete)"/ { kind = $0; sub(/.*type="/, "", kind); sub(/".*/, "", kind); print kind ": " source }
    /<translation>[[:space:]]*<\/translation>/ { print "empty: " source }
  ' "$copy")
  if [ -n "$bad" ]; then
    echo "$(basename "$ts"): texts without a finished translation (run 'make translations', then translate them):"
    echo "$bad"
    status=1
  else
    echo "$(basename "$ts"): $(grep -c '<message>' "$copy") texts, all translated"
  fi
done
exit $status
