#!/usr/bin/env bash
# The test command: set-up, build, then every test under Wine in a fresh
# prefix and a virtual display. Ends with ctest's summary line. Fails when a
# test failed or did not run (scripts/check_skipped_tests.sh).
#
# Extra arguments go to ctest (for example -R Security).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/common.sh"

bash "$here/build.sh"
ctest_output=$(mktemp /tmp/kelvane-ctest.XXXXXX)
trap 'rm -f "$ctest_output"' EXIT
status=0
bash "$here/with_wine.sh" ctest --test-dir "$BUILD_DIR" -j "$(nproc)" \
  --output-on-failure "$@" | tee "$ctest_output" || status=$?
if ! bash "$here/check_skipped_tests.sh" "$ctest_output"; then
  [ "$status" != 0 ] || status=1
fi
exit "$status"
