#!/usr/bin/env bash
# The test command: set-up, build, then every test under Wine in a fresh
# prefix and a virtual display. Ends with ctest's summary line.
#
# Extra arguments go to ctest (for example -R Security).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/common.sh"

bash "$here/build.sh"
exec bash "$here/with_wine.sh" ctest --test-dir "$BUILD_DIR" -j "$(nproc)" --output-on-failure "$@"
