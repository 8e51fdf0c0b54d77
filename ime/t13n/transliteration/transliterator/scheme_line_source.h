// Reads a custom scheme file line by line, in UTF-8 or UTF-16LE.
#ifndef IME_T13N_TRANSLITERATION_TRANSLITERATOR_SCHEME_LINE_SOURCE_H_
#define IME_T13N_TRANSLITERATION_TRANSLITERATOR_SCHEME_LINE_SOURCE_H_

#include <cstddef>
#include <string>
#include <vector>

namespace ime_t13n {

// The encoding is decided on the first line: UTF-16LE when it begins with the
// byte-order mark FF FE, or when the low bytes of its first 7 UTF-16 units
// spell "version" (in any letter case); UTF-8 otherwise. Lines are split at
// U+000A and keep their "\r" and, on the first line, a byte-order mark.
class SchemeLineSource {
 public:
  // Scheme files are a few kilobytes of rules. A far larger file is refused
  // as a whole, so that a stray file in the folder cannot take the host's
  // memory.
  static constexpr size_t kMaxFileBytes = 256 * 1024;

  explicit SchemeLineSource(const std::wstring& path);
  SchemeLineSource(const SchemeLineSource&) = delete;
  SchemeLineSource& operator=(const SchemeLineSource&) = delete;

  // The next line; false at the end of the file, or at once when the file
  // cannot be read or is too large.
  bool NextLine(std::wstring* line);

  // True when the file was refused for being larger than kMaxFileBytes.
  bool too_large() const { return too_large_; }

 private:
  enum Mode {
    kUtf8Lines = 0,
    kUtf16Lines = 1,
    kNotStarted = 2,
    kFinished = 3,
  };

  // Reads the file and decides the encoding.
  void Start();
  bool ReadFileBytes();
  bool NextUtf8Line(std::wstring* line);

  std::wstring path_;
  Mode mode_ = kNotStarted;
  bool too_large_ = false;
  std::string bytes_;  // the file, read by the UTF-8 mode line by line
  size_t next_byte_ = 0;
  std::vector<std::wstring> lines_;  // the UTF-16 mode's lines
  size_t cursor_ = 0;
};

}  // namespace ime_t13n

#endif  // IME_T13N_TRANSLITERATION_TRANSLITERATOR_SCHEME_LINE_SOURCE_H_
