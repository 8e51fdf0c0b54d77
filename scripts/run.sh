#!/usr/bin/env bash
# The main job: set-up and build every deliverable and the Hindi language
# data file, say where they are, and type a few words into the input
# method key by key (until it can be hosted in an application).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/common.sh"

bash "$here/build.sh"
echo "Deliverables (Windows x64, statically linked):"
for f in "$BUILD_DIR"/bin/Kelvane_*.ime "$BUILD_DIR"/bin/Dorimond.exe \
         "$BUILD_DIR"/bin/Strevane.exe "$BUILD_DIR"/bin/uninstaller.exe; do
  [ -e "$f" ] && printf '  %s\n' "$f"
done
echo "Hindi language data file: $BUILD_DIR/data/hi/data.00000"
echo "A few words typed key by key through the engine (composition, candidates, commit):"
KELVANE_BUILT=1 bash "$here/type-words"
