#!/usr/bin/env bash
# The main job: set-up and build every deliverable, then say where they are.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/common.sh"

bash "$here/build.sh"
echo "Deliverables (Windows x64, statically linked):"
for f in "$BUILD_DIR"/bin/Kelvane_*.ime "$BUILD_DIR"/bin/Dorimond.exe \
         "$BUILD_DIR"/bin/Strevane.exe "$BUILD_DIR"/bin/uninstaller.exe; do
  [ -e "$f" ] && printf '  %s\n' "$f"
done
true
