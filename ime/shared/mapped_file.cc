#include "ime/shared/mapped_file.h"

#include <shlwapi.h>

#include "ime/shared/base/process_exit.h"
#include "ime/shared/security.h"

namespace ime_shared {

namespace {

// The size word of the file is kept as a signed 32-bit value, so larger
// files are refused rather than seen with a wrapped or negative size.
constexpr uint64_t kMaximumFileSize = 0x7FFFFFFF;

}  // namespace

MappedFile::MappedFile() {
  MakeSharedObjectSecurityAttributes(&section_attributes_);
}

MappedFile::~MappedFile() { Close(); }

int32_t MappedFile::Open(const wchar_t* path, const wchar_t* mapping_name,
                         int read_only, uint32_t minimum_size) {
  Close();
  base::FileWorkScope file_work;
  path_ = path != nullptr ? path : L"";
  mapping_name_ = mapping_name != nullptr ? mapping_name : L"";
  read_only_ = 1;
  (void)read_only;

  if (path_.empty() || !::PathFileExistsW(path_.c_str())) return kNoFile;

  HANDLE file = ::CreateFileW(path_.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING,
                              FILE_FLAG_RANDOM_ACCESS | FILE_ATTRIBUTE_NORMAL,
                              nullptr);
  if (file == INVALID_HANDLE_VALUE) return kFailed;
  file_ = file;

  DWORD size_high = 0;
  DWORD size_low = ::GetFileSize(file_, &size_high);
  uint64_t file_size = (static_cast<uint64_t>(size_high) << 32) | size_low;
  size_ = static_cast<int32_t>(size_low);
  if (file_size > kMaximumFileSize) return Fail();

  const wchar_t* name = mapping_name_.empty() ? nullptr : mapping_name_.c_str();
  bool created = false;
  if (name != nullptr) {
    mapping_ = ::OpenFileMappingW(FILE_MAP_ALL_ACCESS, TRUE, name);
  }
  if (mapping_ == nullptr) {
    const uint64_t mapping_size =
        file_size > minimum_size ? file_size : minimum_size;
    const DWORD high = static_cast<DWORD>(mapping_size >> 32);
    const DWORD low = static_cast<DWORD>(mapping_size);
    // A read-only file cannot back a read-write mapping, and a name with a
    // backslash is no valid object name: each step falls back to the next.
    mapping_ = ::CreateFileMappingW(file_, &section_attributes_,
                                    PAGE_READWRITE, high, low, name);
    if (mapping_ == nullptr) {
      mapping_ = ::CreateFileMappingW(file_, nullptr, PAGE_READONLY, high,
                                      low, name);
    }
    if (mapping_ == nullptr && name != nullptr) {
      mapping_ = ::CreateFileMappingW(file_, nullptr, PAGE_READONLY, high,
                                      low, nullptr);
    }
    if (mapping_ == nullptr) return Fail();
    created = true;
  }

  size_high = 0;
  size_low = ::GetFileSize(file_, &size_high);
  file_size = (static_cast<uint64_t>(size_high) << 32) | size_low;
  size_ = static_cast<int32_t>(size_low);
  if (file_size < minimum_size || file_size == 0 ||
      file_size > kMaximumFileSize) {
    return Fail();
  }

  if (name != nullptr) SetLowIntegrityLabel(name);

  view_ = static_cast<const uint8_t*>(
      ::MapViewOfFile(mapping_, FILE_MAP_READ, 0, 0, 0));
  if (view_ == nullptr) return Fail();
  // A mapping opened by name may be smaller than the file has become since;
  // the view must cover every byte that size() promises.
  MEMORY_BASIC_INFORMATION info = {};
  if (::VirtualQuery(view_, &info, sizeof(info)) == 0 ||
      info.RegionSize < static_cast<SIZE_T>(size_)) {
    return Fail();
  }
  return created ? kCreated : kOpenedExisting;
}

int32_t MappedFile::Fail() {
  Close();
  return kFailed;
}

bool MappedFile::Close() {
  if (view_ != nullptr) {
    ::UnmapViewOfFile(view_);
    view_ = nullptr;
  }
  if (mapping_ != nullptr) {
    ::CloseHandle(mapping_);
    mapping_ = nullptr;
  }
  if (file_ != nullptr) {
    ::CloseHandle(file_);
    file_ = nullptr;
  }
  size_ = 0;
  return true;
}

}  // namespace ime_shared
