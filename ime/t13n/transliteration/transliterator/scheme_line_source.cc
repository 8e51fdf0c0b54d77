#include "ime/t13n/transliteration/transliterator/scheme_line_source.h"

#include <windows.h>

#include "ime/shared/base/process_exit.h"
#include "ime/shared/base/scoped_handle.h"
#include "ime/shared/string_utils.h"

namespace ime_t13n {
namespace {

const char kVersionSignature[] = "version";
constexpr size_t kSignatureUnits = sizeof(kVersionSignature) - 1;

char AsciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// |first_line| is the file's first line as bytes, without its 0x0A.
bool LooksLikeUtf16(const std::string& first_line) {
  if (first_line.size() >= 2 && first_line[0] == '\xFF' &&
      first_line[1] == '\xFE') {
    return true;
  }
  if (first_line.size() < kSignatureUnits * 2) return false;
  for (size_t i = 0; i < kSignatureUnits; ++i) {
    if (AsciiLower(first_line[i * 2]) != kVersionSignature[i]) return false;
  }
  return true;
}

}  // namespace

SchemeLineSource::SchemeLineSource(const std::wstring& path) : path_(path) {}

bool SchemeLineSource::NextLine(std::wstring* line) {
  if (mode_ == kNotStarted) Start();
  switch (mode_) {
    case kUtf8Lines:
      return NextUtf8Line(line);
    case kUtf16Lines:
      if (cursor_ >= lines_.size()) return false;
      line->swap(lines_[cursor_]);
      lines_[cursor_].clear();
      ++cursor_;
      return true;
    default:
      return false;
  }
}

void SchemeLineSource::Start() {
  mode_ = kFinished;
  if (!ReadFileBytes()) return;

  const size_t first_end = bytes_.find('\n');
  if (!LooksLikeUtf16(bytes_.substr(
          0, first_end == std::string::npos ? bytes_.size() : first_end))) {
    mode_ = kUtf8Lines;
    return;
  }

  // UTF-16LE: the whole file, a trailing odd byte dropped, split at each
  // U+000A. Empty pieces are lines; nothing follows a final U+000A.
  const size_t units = bytes_.size() / 2;
  std::wstring text(units, L'\0');
  for (size_t i = 0; i < units; ++i) {
    text[i] = static_cast<wchar_t>(
        static_cast<unsigned char>(bytes_[i * 2]) |
        (static_cast<unsigned char>(bytes_[i * 2 + 1]) << 8));
  }
  bytes_.clear();
  bytes_.shrink_to_fit();
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(L'\n', start);
    if (end == std::wstring::npos) end = text.size();
    lines_.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  mode_ = kUtf16Lines;
}

bool SchemeLineSource::ReadFileBytes() {
  ime_shared::base::FileWorkScope file_work;
  ime_shared::base::ScopedFileHandle file(::CreateFileW(
      path_.c_str(), GENERIC_READ,
      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  LARGE_INTEGER size;
  if (!::GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0) return false;
  if (static_cast<unsigned long long>(size.QuadPart) > kMaxFileBytes) {
    too_large_ = true;
    return false;
  }
  // The size may change while the file is read: read to its end, but never
  // more than the limit allows.
  bytes_.reserve(static_cast<size_t>(size.QuadPart));
  char chunk[16384];
  for (;;) {
    DWORD read = 0;
    if (!::ReadFile(file.Get(), chunk, sizeof(chunk), &read, nullptr)) {
      bytes_.clear();
      return false;
    }
    if (read == 0) return true;
    if (bytes_.size() + read > kMaxFileBytes) {
      too_large_ = true;
      bytes_.clear();
      return false;
    }
    bytes_.append(chunk, read);
  }
}

bool SchemeLineSource::NextUtf8Line(std::wstring* line) {
  if (next_byte_ >= bytes_.size()) return false;
  size_t end = bytes_.find('\n', next_byte_);
  if (end == std::string::npos) end = bytes_.size();
  *line = ime_shared::Utf8ToWide(bytes_.substr(next_byte_, end - next_byte_));
  next_byte_ = end + 1;
  return true;
}

}  // namespace ime_t13n
