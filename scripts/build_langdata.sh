#!/usr/bin/env bash
# Builds the Hindi language data file into OUTPUT_DIR/hi/data.00000:
#
#   scripts/build_langdata.sh LANGDATA_BUILDER_EXE OUTPUT_DIR
#
# tools/langdata/prepare_hindi.py prepares the content from the open inputs
# (the lexicon's train split and the word frequencies in ../shared/data, or
# KELVANE_SHARED_DATA; the Debian word lists; the npm spelling maps), and
# the builder program writes the file with the format writer and loads it
# back, under Wine. Both steps are cached in $KELVANE_DEPS_DIR/langdata (see
# the keys below), so that each runs once per change.
#
# The file is a derived work of CC BY-SA 4.0 data (the Dakshina lexicon and
# the OpenSubtitles word frequencies) and is distributed under CC BY-SA 4.0.
set -euo pipefail
export PYTHONDONTWRITEBYTECODE=1
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/common.sh"

builder=$1
out_dir=$2

shared=${KELVANE_SHARED_DATA:-}
if [ -z "$shared" ]; then
  for candidate in "$ROOT/../shared/data" "$ROOT/../../shared/data"; do
    if [ -d "$candidate/dakshina-hi" ]; then shared=$candidate; break; fi
  done
fi
[ -n "$shared" ] || die "the shared data folder (../shared/data) was not found; set KELVANE_SHARED_DATA"

train=$shared/dakshina-hi/hi.translit.sampled.train.tsv
frequencies=$shared/opensubtitles-hi/hi_full.txt
hunspell=/usr/share/hunspell/hi_IN.dic
aspell=/usr/share/aspell/hi.cwl.gz
apertium=/usr/share/apertium/apertium-hin/hin.automorf.att.gz
tesseract=$(ls /usr/share/tesseract-ocr/*/tessdata/hin.traineddata 2>/dev/null | head -n 1)
for f in "$train" "$frequencies" "$hunspell" "$aspell" "$apertium" "$tesseract" \
         "$COMMON_MAPS_DIR/_devanagari_vowel_to_marks.toml"; do
  [ -f "$f" ] || die "input missing: $f (run scripts/setup.sh)"
done

# Two cached stages, each keyed by every byte that decides its output, with
# no list of sources to keep by hand:
#   the prepared content: the inputs and the preparation scripts;
#   the data file: the prepared content and the builder program itself. The
#   builder is linked without a time stamp and its __FILE__ strings carry no
#   build paths, so with its debug information stripped it is the same bytes
#   for the same code: whatever it links (the format writer, the reader it
#   checks the file with, the string utilities...) is covered.
prepared_key=$( {
  sha256sum "$train" "$frequencies" "$hunspell" "$aspell" "$apertium" "$tesseract" | cut -d' ' -f1
  find "$COMMON_MAPS_DIR" -type f -name '*.toml' | LC_ALL=C sort | xargs sha256sum | cut -d' ' -f1
  sha256sum "$ROOT"/tools/langdata/*.py "$ROOT/scripts/build_langdata.sh" | cut -d' ' -f1
} | sha256sum | cut -c1-24)
prepared=$KELVANE_DEPS_DIR/langdata/prepared-$prepared_key/hi.txt

strip_tool=${KELVANE_TARGET}-objcopy
command -v "$strip_tool" >/dev/null 2>&1 || die "$strip_tool not found"
stripped=$(mktemp)
trap 'rm -f "$stripped"' EXIT
"$strip_tool" --strip-debug "$builder" "$stripped"
# objcopy stamps the time of its own run into the copy (and its checksum):
# both are zeroed again.
python3 - "$stripped" <<'PY'
import struct, sys
with open(sys.argv[1], "r+b") as f:
    image = bytearray(f.read())
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    struct.pack_into("<I", image, pe + 8, 0)        # TimeDateStamp
    struct.pack_into("<I", image, pe + 24 + 64, 0)  # CheckSum
    f.seek(0)
    f.write(image)
PY
key=$( {
  echo "$prepared_key"
  sha256sum "$stripped" | cut -d' ' -f1
} | sha256sum | cut -c1-24)
cache=$KELVANE_DEPS_DIR/langdata/hi-$key

if [ ! -f "$prepared" ]; then
  log "preparing the Hindi language content (cache $(dirname "$prepared"))"
  work=$(mktemp -d)
  trap 'rm -f "$stripped"; rm -rf "$work"' EXIT
  python3 "$ROOT/tools/langdata/prepare_hindi.py" \
    --train "$train" --frequencies "$frequencies" --common-maps "$COMMON_MAPS_DIR" \
    --hunspell "$hunspell" --aspell "$aspell" --apertium "$apertium" \
    --tesseract "$tesseract" --output "$work/hi.txt"
  mkdir -p "$(dirname "$prepared")"
  mv "$work/hi.txt" "$prepared.partial"
  mv "$prepared.partial" "$prepared"
fi

if [ ! -f "$cache/hi/data.00000" ]; then
  log "building the Hindi language data file (cache $cache)"
  work=$(mktemp -d)
  trap 'rm -f "$stripped"; rm -rf "$work"' EXIT
  mkdir -p "$work/out/hi"
  bash "$here/with_wine.sh" wine64 "$builder" "Z:$prepared" "Z:$work/out/hi" hi
  [ -f "$work/out/hi/data.00000" ] || die "the builder wrote no data file"
  mkdir -p "$KELVANE_DEPS_DIR/langdata"
  rm -rf "$cache.partial"
  mv "$work/out" "$cache.partial"
  rm -rf "$cache"
  mv "$cache.partial" "$cache"
fi
mkdir -p "$out_dir/hi"
cp -f "$cache/hi/data.00000" "$out_dir/hi/data.00000.partial"
mv -f "$out_dir/hi/data.00000.partial" "$out_dir/hi/data.00000"
log "Hindi language data: $out_dir/hi/data.00000"
