# Shared settings of the build scripts; sourced, not run.
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
KELVANE_TARGET=${KELVANE_TARGET:-x86_64-w64-mingw32}
KELVANE_DEPS_DIR=${KELVANE_DEPS_DIR:-$HOME/.cache/kelvane-deps}
PROTOBUF_VERSION=3.21.12
PROTOBUF_PREFIX=$KELVANE_DEPS_DIR/protobuf-$PROTOBUF_VERSION-$KELVANE_TARGET
BUILD_DIR=${KELVANE_BUILD_DIR:-$ROOT/build/$KELVANE_TARGET}
# The Latin spellings of the Devanagari characters (npm package, MIT), an
# input of the Hindi language data file.
COMMON_MAPS_VERSION=1.0.6
COMMON_MAPS_PREFIX=$KELVANE_DEPS_DIR/npm-common-maps-$COMMON_MAPS_VERSION
COMMON_MAPS_DIR=$COMMON_MAPS_PREFIX/node_modules/@indic-transliteration/common_maps

log() { printf '[kelvane] %s\n' "$*" >&2; }
die() { printf '[kelvane] error: %s\n' "$*" >&2; exit 1; }
as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }
