// A read-only memory-mapped file. A mapping can be named so that processes
// that open the same file under the same name share one mapping object.
#ifndef IME_SHARED_MAPPED_FILE_H_
#define IME_SHARED_MAPPED_FILE_H_

#include <windows.h>

#include <cstdint>
#include <string>

namespace ime_shared {

class MappedFile {
 public:
  // Results of Open. Negative values are failures.
  static constexpr int32_t kCreated = 0;
  static constexpr int32_t kOpenedExisting = ERROR_ALREADY_EXISTS;  // 183
  static constexpr int32_t kNoFile = static_cast<int32_t>(0x80000002);
  static constexpr int32_t kFailed = static_cast<int32_t>(0x80000006);

  MappedFile();
  ~MappedFile();
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  // Maps the file at |path| read-only (|read_only| is recorded; the file is
  // always opened read-only). With a |mapping_name| an existing mapping of
  // that name is opened, else one is created under it; a name the system
  // refuses falls back to an unnamed mapping. Files shorter than
  // |minimum_size| bytes, empty files and files of 2 GiB or more are
  // refused. Returns kCreated, kOpenedExisting, kNoFile or kFailed; a failed
  // Open leaves the object closed.
  int32_t Open(const wchar_t* path, const wchar_t* mapping_name, int read_only,
               uint32_t minimum_size);

  // Unmaps and closes everything; safe when nothing is open. Always true.
  bool Close();

  // The file's bytes; null when not mapped.
  const uint8_t* view() const { return view_; }
  // The file's size in bytes; 0 when closed.
  int32_t size() const { return size_; }
  const std::wstring& path() const { return path_; }
  const std::wstring& mapping_name() const { return mapping_name_; }

 private:
  // Closes the mapping and the file after a failure in Open.
  int32_t Fail();

  const uint8_t* view_ = nullptr;
  HANDLE mapping_ = nullptr;
  HANDLE file_ = nullptr;
  std::wstring path_;
  std::wstring mapping_name_;
  int read_only_ = 0;
  int32_t size_ = 0;
  SECURITY_ATTRIBUTES section_attributes_;
};

}  // namespace ime_shared

#endif  // IME_SHARED_MAPPED_FILE_H_
