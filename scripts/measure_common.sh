# Shared part of scripts/eval-candidates, bench-candidates and
# show-candidates;
# sourced, not run. Builds everything (the data file included; not when
# KELVANE_BUILT is set by a caller that just built) and defines
# run_measured, which runs a program of the build under Wine with "DataPath"
# set, in the fresh prefix, to the build's data folder.
. "$here/common.sh"

if [ -z "${KELVANE_BUILT:-}" ]; then bash "$here/build.sh" >&2; fi

# The lexicon's dev split unless a file is named.
default_lexicon() {
  local shared=${KELVANE_SHARED_DATA:-}
  if [ -z "$shared" ]; then
    for candidate in "$ROOT/../shared/data" "$ROOT/../../shared/data"; do
      if [ -d "$candidate/dakshina-hi" ]; then shared=$candidate; break; fi
    done
  fi
  printf '%s\n' "$shared/dakshina-hi/hi.translit.sampled.dev.tsv"
}

run_measured() {
  local program=$1; shift
  bash "$here/with_wine.sh" bash -c '
    wine64 reg add "HKLM\\Software\\Tarvel\\Tarvel Hindi Input" /v DataPath \
      /d "Z:$1" /f /reg:64 >/dev/null 2>&1 || { echo "cannot set DataPath" >&2; exit 1; }
    shift
    wine64 "$@"' _ "$BUILD_DIR/data" "$BUILD_DIR/bin/$program" "$@"
}
