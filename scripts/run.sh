#!/usr/bin/env bash
# The main job: set-up and build every deliverable and the Hindi language
# data file, say where they are, and show the candidates of a few typed
# words (until the input method can be hosted in an application).
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
echo "Candidates of a few typed words:"
KELVANE_BUILT=1 bash "$here/show-candidates"
