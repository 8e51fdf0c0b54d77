# Shared part of the measuring and showing scripts (eval-candidates,
# bench-candidates, screenshot-candidates ...); sourced, not run. Builds
# everything (the data file included; not when KELVANE_BUILT is set by a
# caller that just built) and defines run_measured, which runs a program of
# the build under Wine with "DataPath" set, in the fresh prefix, to the
# build's data folder, and run_with_devanagari_font, which does the same
# with Devanagari fonts and the picker images in place.
. "$here/common.sh"

if [ -z "${KELVANE_BUILT:-}" ]; then bash "$here/build.sh" >&2; fi

# The shared data folder beside the clone ($KELVANE_SHARED_DATA when set);
# nothing when it is not found.
shared_data_dir() {
  local shared=${KELVANE_SHARED_DATA:-}
  if [ -z "$shared" ]; then
    for candidate in "$ROOT/../shared/data" "$ROOT/../../shared/data"; do
      if [ -d "$candidate/dakshina-hi" ]; then shared=$candidate; break; fi
    done
  fi
  printf '%s\n' "$shared"
}

# The lexicon's dev split unless a file is named.
default_lexicon() {
  printf '%s\n' "$(shared_data_dir)/dakshina-hi/hi.translit.sampled.dev.tsv"
}

run_measured() {
  local program=$1; shift
  bash "$here/with_wine.sh" bash -c '
    wine64 reg add "HKLM\\Software\\Tarvel\\Tarvel Hindi Input" /v DataPath \
      /d "Z:$1" /f /reg:64 >/dev/null 2>&1 || { echo "cannot set DataPath" >&2; exit 1; }
    shift
    wine64 "$@"' _ "$BUILD_DIR/data" "$BUILD_DIR/bin/$program" "$@"
}

# Runs a program of the build under Wine as run_measured does, with
# "Mangal" drawn by Lohit Devanagari: Wine reads its font replacements when
# a program starts, so the value is set before. The Hindi picker images the
# build drew are put where the installation puts them, the product's folder
# in the common application data folder.
run_with_devanagari_font() {
  local program=$1; shift
  bash "$here/with_wine.sh" bash -c '
    wine64 reg add "HKLM\\Software\\Tarvel\\Tarvel Hindi Input" /v DataPath \
      /d "Z:$1" /f /reg:64 >/dev/null 2>&1 || { echo "cannot set DataPath" >&2; exit 1; }
    wine64 reg add "HKCU\\Software\\Wine\\Fonts\\Replacements" /v Mangal \
      /d "Lohit Devanagari" /f >/dev/null 2>&1 || { echo "cannot set the font" >&2; exit 1; }
    product="$WINEPREFIX/drive_c/ProgramData/Tarvel/Tarvel Hindi Input"
    mkdir -p "$product" && cp -r "$2/hi" "$product/" ||
      { echo "cannot put the picker images in place" >&2; exit 1; }
    shift 2
    wine64 "$@"' _ "$BUILD_DIR/data" "$BUILD_DIR/picker_images" "$BUILD_DIR/bin/$program" "$@"
}
