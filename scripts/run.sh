#!/usr/bin/env bash
# The main job: set-up and build every deliverable and the Hindi language
# data file, say where they are, type a few words into the input method key
# by key, then show the module in a Wine application: installed as a
# keyboard layout by the setup tool, typed into through Wine's IMM32, and
# typed into where the host plays IMM32's part, with a picture of the
# candidate window beside the caret (scripts/show-ime).
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
echo "The input method in a Wine application (layout installed by Strevane.exe, typing through Wine's IMM32, the host playing IMM32's part, the candidate window beside the caret):"
KELVANE_BUILT=1 bash "$here/show-ime"
