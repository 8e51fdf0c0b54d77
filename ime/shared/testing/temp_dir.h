// A temporary folder for a test's files, removed with everything in it when
// the test ends; and small file helpers.
#ifndef IME_SHARED_TESTING_TEMP_DIR_H_
#define IME_SHARED_TESTING_TEMP_DIR_H_

#include <string>

namespace ime_testing {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The folder, with a trailing backslash.
  const std::wstring& path() const { return path_; }

 private:
  std::wstring path_;
};

// Writes |bytes| to |path|, replacing the file. False on failure.
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
// The file's bytes; false when it cannot be read.
bool ReadFileBytes(const std::wstring& path, std::string* bytes);

}  // namespace ime_testing

#endif  // IME_SHARED_TESTING_TEMP_DIR_H_
