// Writes a language data file from the prepared content of a language
// (prepared_contents.h) with the system's own format writer, then loads the
// written file the way the input method does and builds its model, so that
// a file that would not load is never produced.
//
//   langdata_builder PREPARED.txt OUTPUT_FOLDER LANGUAGE
//
// The file is OUTPUT_FOLDER\data.00000. The Hindi file is a derived work of
// CC BY-SA 4.0 data (see prepare_hindi.py) and is distributed under
// CC BY-SA 4.0.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>

#include "ime/shared/string_utils.h"
#include "ime/t13n/transliteration/transliterator/data_error_box.h"
#include "ime/t13n/transliteration/transliterator/language_data.h"
#include "ime/t13n/transliteration/transliterator/language_data_format.h"
#include "ime/t13n/transliteration/transliterator/language_data_writer.h"
#include "ime/t13n/transliteration/transliterator/suggest.h"
#include "ime/t13n/transliteration/transliterator/transliteration_model.h"
#include "tools/langdata/prepared_contents.h"
#include "tools/langdata/program_support.h"
#include "ime/shared/testing/temp_dir.h"

namespace {

using ime_shared::Utf8ToWide;
using ime_shared::WideToUtf8;

// Written through a temporary name, so that an interrupted run leaves no
// partial file under the real one.
bool WriteWholeFile(const std::wstring& path, const std::string& bytes) {
  const std::wstring partial = path + L".partial";
  HANDLE file = ::CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = ::WriteFile(file, bytes.data(),
                              static_cast<DWORD>(bytes.size()), &written,
                              nullptr) &&
                  written == bytes.size();
  ::CloseHandle(file);
  if (!ok) {
    ::DeleteFileW(partial.c_str());
    return false;
  }
  return ::MoveFileExW(partial.c_str(), path.c_str(),
                       MOVEFILE_REPLACE_EXISTING) != 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr,
                 "usage: langdata_builder PREPARED.txt OUTPUT_FOLDER "
                 "LANGUAGE\n");
    return 2;
  }
  const std::wstring prepared_path = Utf8ToWide(argv[1]);
  const std::string folder = argv[2];
  const std::string language = argv[3];

  std::string text;
  if (!ime_testing::ReadFileBytes(prepared_path, &text)) {
    std::fprintf(stderr, "langdata_builder: cannot read %s\n", argv[1]);
    return 1;
  }
  ime_t13n::LanguageDataContents contents;
  std::string error;
  if (!langdata::ParsePreparedContents(text, &contents, &error)) {
    std::fprintf(stderr, "langdata_builder: %s: %s\n", argv[1],
                 error.c_str());
    return 1;
  }
  text.clear();
  text.shrink_to_fit();

  std::vector<size_t> offsets;
  const std::string body = ime_t13n::WriteDataBody(contents, &offsets);
  if (body.empty()) {
    std::fprintf(stderr,
                 "langdata_builder: the dictionary words cannot be stored\n");
    return 1;
  }
  // The loader maps at least this much; the file must fill it with content,
  // not with padding.
  if (body.size() + ime_t13n::kDataHeaderSize <
      ime_t13n::kMinimumDataFileSize) {
    std::fprintf(stderr,
                 "langdata_builder: only %zu bytes of content, %u needed\n",
                 body.size(), ime_t13n::kMinimumDataFileSize);
    return 1;
  }
  const std::string file = ime_t13n::WriteDataFile(body);
  ::CreateDirectoryW(Utf8ToWide(folder).c_str(), nullptr);
  const std::wstring path =
      Utf8ToWide(folder) + L"\\" + Utf8ToWide(ime_t13n::kDataFileName);
  if (!WriteWholeFile(path, file)) {
    std::fprintf(stderr, "langdata_builder: cannot write %s\n",
                 WideToUtf8(path).c_str());
    return 1;
  }
  static const char* const kSectionNames[ime_t13n::kDataSectionCount] = {
      "dictionary", "language", "rules", "lookups", "letter classes",
      "more lookups", "segments", "key/value lines"};
  std::printf("%s: %zu bytes\n", WideToUtf8(path).c_str(), file.size());
  for (int i = 0; i < ime_t13n::kDataSectionCount; ++i) {
    std::printf("  section %d (%s): %zu bytes\n", i, kSectionNames[i],
                offsets[i + 1] - offsets[i]);
  }

  // Load it back as the input method does.
  std::unique_ptr<ime_t13n::LanguageData> data(
      new ime_t13n::LanguageData(ime_t13n::PrintingErrorBox()));
  if (!data->LoadFromMap(language, folder)) return 1;
  ime_t13n::TransliterationModel model(*data);
  data.reset();
  size_t segments = 0;
  for (int i = 0; i < ime_t13n::kSegmentTableCount; ++i) {
    segments += model.segment_table(
        static_cast<ime_t13n::SegmentTableIndex>(i)).size();
  }
  std::printf("loaded: %zu segment entries, %zu lookup words, %d dictionary "
              "words, %zu characters with spellings\n",
              segments,
              model.lookup_table() ? model.lookup_table()->size() : 0,
              model.suggest() ? model.suggest()->entry_count() : 0,
              model.language_model().mapping_lists().size());
  return 0;
}
