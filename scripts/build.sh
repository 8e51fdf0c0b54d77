#!/usr/bin/env bash
# Set-up (scripts/setup.sh), then configure and build everything for the
# target. The build tree is build/<target> unless KELVANE_BUILD_DIR says
# otherwise.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/common.sh"

bash "$here/setup.sh"

mkdir -p "$BUILD_DIR"
cmake -S "$ROOT" -B "$BUILD_DIR" -G "Unix Makefiles" \
  -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-$KELVANE_TARGET.cmake" \
  -DCMAKE_PREFIX_PATH="$PROTOBUF_PREFIX" >"$BUILD_DIR/configure.log" 2>&1 \
  || { cat "$BUILD_DIR/configure.log"; die "configure failed"; }
log "building in $BUILD_DIR"
# Progress lines are dropped; compiler messages stay.
status=0
cmake --build "$BUILD_DIR" -j "$(nproc)" >"$BUILD_DIR/build.log" 2>&1 || status=$?
grep -v '^\[ *[0-9]*%\]' "$BUILD_DIR/build.log" || true
[ "$status" = 0 ] || die "build failed"

# Every binary must run with system DLLs alone.
bash "$here/check_imports.sh" "$BUILD_DIR/bin"
