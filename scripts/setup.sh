#!/usr/bin/env bash
# Installs everything the build needs on a Debian 12 machine and cross-builds
# the target protobuf library into a cache outside the clone.
#
#   scripts/setup.sh            packages (when missing) and dependencies
#
# Besides the build tools it installs the inputs of the Hindi language data
# file: the Debian word lists and, from the npm registry, the Latin
# spellings of the Devanagari characters.
#
# Environment:
#   KELVANE_DEPS_DIR   cache of cross-built dependencies
#                      (default: $HOME/.cache/kelvane-deps)
#   KELVANE_TARGET     target triple (default: x86_64-w64-mingw32)
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=scripts/common.sh
. "$here/common.sh"

packages=(
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine64 xvfb xauth
  protobuf-compiler libz-mingw-w64-dev googletest
  cmake make fonts-lohit-deva
  python3 hunspell-hi aspell-hi apertium-hin tesseract-ocr-hin
)
# npm may come with a Node.js of the machine's own; Debian's otherwise.
command -v npm >/dev/null 2>&1 || packages+=(npm)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  log "installing packages: ${missing[*]}"
  as_root apt-get update -qq
  # sudo drops the environment: the variable goes through env, so that apt
  # never stops at a configuration prompt.
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The host protoc generates the code compiled against the target library:
# the two must be the same release.
host_protoc=$(protoc --version | awk '{print $2}')
if [ "$host_protoc" != "$PROTOBUF_VERSION" ]; then
  die "protoc is $host_protoc, the target protobuf is $PROTOBUF_VERSION"
fi

# Runs in a subshell, so that its EXIT trap removes the work folder however
# it ends: die exits the subshell, and the failure reaches the caller.
build_protobuf() (
  local prefix=$1 work
  work=$(mktemp -d)
  chmod 755 "$work"  # apt-get source downloads as the _apt user
  trap 'rm -rf "$work"' EXIT

  # The source comes from Debian's archive: enable source lists for the
  # machine's own suites when they are not there yet.
  local src_list=/etc/apt/sources.list.d/kelvane-deb-src.sources
  if ! grep -rqs '^Types:.*deb-src\|^deb-src' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    [ -f /etc/apt/sources.list.d/debian.sources ] || die "no /etc/apt/sources.list.d/debian.sources to derive a deb-src entry from"
    log "adding deb-src entries ($src_list)"
    sed 's/^Types:.*/Types: deb-src/' /etc/apt/sources.list.d/debian.sources | as_root tee "$src_list" >/dev/null
    as_root apt-get update -qq
  fi
  log "fetching the protobuf source package"
  (cd "$work" && apt-get source --download-only -qq "protobuf=$PROTOBUF_VERSION-*" >/dev/null 2>&1 \
     || apt-get source --download-only -qq protobuf >/dev/null)
  local tarball
  tarball=$(ls "$work"/protobuf_"$PROTOBUF_VERSION".orig.tar.* 2>/dev/null | head -n 1)
  [ -n "$tarball" ] || die "the protobuf $PROTOBUF_VERSION source package was not found"
  tar -xf "$tarball" -C "$work"

  log "cross-building protobuf $PROTOBUF_VERSION for $KELVANE_TARGET"
  cmake -S "$work/protobuf-$PROTOBUF_VERSION/cmake" -B "$work/build" -G "Unix Makefiles" \
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-$KELVANE_TARGET.cmake" \
    -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix.partial" \
    -Dprotobuf_BUILD_TESTS=OFF -Dprotobuf_BUILD_PROTOC_BINARIES=OFF \
    -Dprotobuf_BUILD_SHARED_LIBS=OFF -Dprotobuf_WITH_ZLIB=OFF \
    -Dprotobuf_MSVC_STATIC_RUNTIME=OFF >"$work/configure.log" 2>&1 \
    || { cat "$work/configure.log"; die "protobuf configure failed"; }
  cmake --build "$work/build" -j "$(nproc)" >"$work/build.log" 2>&1 \
    || { tail -50 "$work/build.log"; die "protobuf build failed"; }
  rm -rf "$prefix.partial"
  cmake --install "$work/build" >/dev/null
  # Only a complete install is ever seen under the cache's real name.
  rm -rf "$prefix"
  mv "$prefix.partial" "$prefix"
)

if [ ! -f "$PROTOBUF_PREFIX/lib/libprotobuf.a" ]; then
  mkdir -p "$KELVANE_DEPS_DIR"
  build_protobuf "$PROTOBUF_PREFIX"
fi
log "protobuf for $KELVANE_TARGET: $PROTOBUF_PREFIX"

if [ ! -f "$COMMON_MAPS_DIR/_devanagari_vowel_to_marks.toml" ]; then
  log "installing @indic-transliteration/common_maps $COMMON_MAPS_VERSION"
  rm -rf "$COMMON_MAPS_PREFIX.partial"
  mkdir -p "$COMMON_MAPS_PREFIX.partial"
  npm install --prefix "$COMMON_MAPS_PREFIX.partial" --no-audit --no-fund \
    --no-save --loglevel=error "@indic-transliteration/common_maps@$COMMON_MAPS_VERSION" >/dev/null \
    || die "npm could not install @indic-transliteration/common_maps"
  rm -rf "$COMMON_MAPS_PREFIX"
  mv "$COMMON_MAPS_PREFIX.partial" "$COMMON_MAPS_PREFIX"
fi
