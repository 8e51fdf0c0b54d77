#!/usr/bin/env bash
# Fails when ctest's output (the file given) reports a test that did not run
# ("***Skipped", "***Not Run", or an entry of "The following tests did not
# run:"), unless it is a skip of a case named in cmake/allowed_test_skips.txt.
# Prints nothing when every test ran.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/common.sh"
output=$1

allowed=$(grep -v '^#' "$ROOT/cmake/allowed_test_skips.txt" | cut -d'|' -f2)
# One "<test>|<how>" line per test that did not run.
not_run=$(tr -d '\r' <"$output" | sed -nE \
  -e 's/^.* Test +#[0-9]+: (.*) \.+\*\*\*(Skipped|Not Run).*$/\1|\2/p' \
  -e '/^The following tests did not run:$/,/^$/ s/^\s+[0-9]+ - (.*) \(([^)]*)\)$/\1|\2/p' |
  sort -t'|' -k1,1 -u)

bad=0
while IFS='|' read -r name how; do
  [ -n "$name" ] || continue
  if [ "$how" = Skipped ] && grep -qxF -- "$name" <<<"$allowed"; then
    continue
  fi
  printf '[kelvane] %s did not run (%s)\n' "$name" "$how" >&2
  bad=1
done <<<"$not_run"
[ $bad = 0 ] || die "tests did not run; only those in cmake/allowed_test_skips.txt may be skipped"
