#!/usr/bin/env bash
# Runs a case of a test program whose cases may skip, for ctest:
#   run_allowed_skips.sh [<Suite.Case> <reason>]... -- <command...>
# The pairs name the cases that may skip and the reason each gives when it
# skips (an extended regular expression). A command that runs one of them
# (--gtest_filter=<Suite.Case>) prints the case's output and ends with its
# exit code, except for a clean skip: exit code 0, "[  SKIPPED ]" and the
# reason in the output and no "[  FAILED  ]". That ends with 77, which ctest
# reads as a skip (SKIP_RETURN_CODE); a case's own 77 becomes 1. Any other
# command (another case, the listing of the cases) runs as it is.
set -euo pipefail

declare -A reasons=()
while [ "$1" != -- ]; do
  reasons[$1]=$2
  shift 2
done
shift

case_name=
for arg in "$@"; do
  case $arg in --gtest_filter=*) case_name=${arg#--gtest_filter=} ;; esac
done
if [ -z "$case_name" ] || [ -z "${reasons[$case_name]+set}" ]; then
  exec "$@"
fi
reason=${reasons[$case_name]}

# The output is shown as it comes (ctest reads both streams as one) and kept
# for the checks below.
status=0
output=$("$@" 2>&1 | tee /dev/stderr; exit "${PIPESTATUS[0]}") || status=$?
if [ "$status" = 0 ] &&
   grep -qF '[  SKIPPED ]' <<<"$output" &&
   ! grep -qF '[  FAILED  ]' <<<"$output" &&
   grep -qE -- "$reason" <<<"$output"; then
  exit 77
fi
[ "$status" != 77 ] || status=1
exit "$status"
