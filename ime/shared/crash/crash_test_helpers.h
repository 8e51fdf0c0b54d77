// Pieces shared by the crash handler's tests: registry values that are put
// back afterwards, a reader of a minidump's stream directory, and software
// exceptions raised from the test program's own code and looked at while
// the raising frames are still on the stack.
#ifndef IME_SHARED_CRASH_CRASH_TEST_HELPERS_H_
#define IME_SHARED_CRASH_CRASH_TEST_HELPERS_H_

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <string>

#include "ime/shared/crash/crash_filter.h"
#include "ime/shared/testing/scratch_registry_key.h"
#include "ime/shared/testing/temp_dir.h"

namespace ime_shared {
namespace crash_testing {

// A registry value that a test changes: what was there (or its absence) is
// put back when the object goes.
class ScopedRegistryValue {
 public:
  ScopedRegistryValue(ime_testing::RegistryPlace place, const wchar_t* name)
      : place_(std::move(place)), name_(name) {
    existed_ = place_.Query(name_.c_str(), &type_, &bytes_);
  }
  ~ScopedRegistryValue() {
    if (existed_) {
      place_.SetRaw(name_.c_str(), type_, bytes_.data(), static_cast<DWORD>(bytes_.size()));
    } else {
      place_.Delete(name_.c_str());
    }
  }
  ScopedRegistryValue(const ScopedRegistryValue&) = delete;
  ScopedRegistryValue& operator=(const ScopedRegistryValue&) = delete;

  const ime_testing::RegistryPlace& place() const { return place_; }
  void SetDword(DWORD value) const { place_.SetDword(name_.c_str(), value); }
  void SetString(const std::wstring& text) const { place_.SetString(name_.c_str(), text); }
  void Delete() const { place_.Delete(name_.c_str()); }
  // The REG_DWORD value; |fallback| when missing.
  DWORD GetDword(DWORD fallback = 0) const { return place_.GetDword(name_.c_str(), fallback); }

 private:
  ime_testing::RegistryPlace place_;
  std::wstring name_;
  bool existed_ = false;
  DWORD type_ = 0;
  std::string bytes_;
};

// "LastReport" under the per-user product key.
inline ime_testing::RegistryPlace UserProductKey() {
  return ime_testing::RegistryPlace(HKEY_CURRENT_USER, L"Software\\Tarvel\\Tarvel Hindi Input");
}
// "PATH" under the machine-wide product key.
inline ime_testing::RegistryPlace MachineProductKey() {
  return ime_testing::RegistryPlace(HKEY_LOCAL_MACHINE, L"Software\\Tarvel\\Tarvel Hindi Input",
                                    KEY_WOW64_64KEY);
}

// Today's UTC date as year * 10000 + month * 100 + day.
inline DWORD UtcToday() {
  SYSTEMTIME now = {};
  ::GetSystemTime(&now);
  return now.wYear * 10000u + now.wMonth * 100u + now.wDay;
}

// A fixed date given to the handler as today.
class FixedDate : public CrashDateInterface {
 public:
  explicit FixedDate(DWORD date) : date_(date) {}
  DWORD Today() const override { return date_; }

 private:
  DWORD date_;
};

// A minidump's streams by type (the first of each type). False when the
// bytes are not a minidump with a sound stream directory.
inline bool ReadDumpStreams(const std::string& dump,
                            std::map<uint32_t, std::string>* streams) {
  auto u32 = [&](size_t offset) {
    uint32_t value;
    std::memcpy(&value, dump.data() + offset, 4);
    return value;
  };
  if (dump.size() < 32 || u32(0) != 0x504D444D) return false;  // "MDMP"
  const uint32_t count = u32(8);
  const uint32_t directory = u32(12);
  if (directory > dump.size() || count > (dump.size() - directory) / 12) return false;
  streams->clear();
  for (uint32_t i = 0; i < count; ++i) {
    const size_t entry = directory + i * 12;
    const uint32_t type = u32(entry);
    const uint32_t size = u32(entry + 4);
    const uint32_t rva = u32(entry + 8);
    if (rva > dump.size() || size > dump.size() - rva) return false;
    if (streams->count(type) == 0) streams->emplace(type, dump.substr(rva, size));
  }
  return true;
}

inline uint32_t ReadU32(const std::string& bytes, size_t offset) {
  uint32_t value = 0;
  if (offset + 4 <= bytes.size()) std::memcpy(&value, bytes.data() + offset, 4);
  return value;
}

// The minidump exception stream: thread id, then the exception's code.
constexpr uint32_t kExceptionStreamType = 6;

// The files of a folder (no subfolders), by name.
inline std::map<std::wstring, std::wstring> FilesIn(const std::wstring& folder) {
  std::map<std::wstring, std::wstring> files;
  WIN32_FIND_DATAW data;
  HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return files;
  do {
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
      files.emplace(data.cFileName, folder + L"\\" + data.cFileName);
    }
  } while (::FindNextFileW(find, &data));
  ::FindClose(find);
  return files;
}

// Waits (up to 30 s) for a file that another process writes.
inline bool WaitForFile(const std::wstring& path) {
  for (int i = 0; i < 600; ++i) {
    if (::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    ::Sleep(50);
  }
  return false;
}

// A software exception raised by this program's own code. |inspect| runs
// inside a vectored handler, with the pointers the system reports, while
// the frames that raised it are still live on the stack (a walk started
// from the context reads them); the program then goes on after the raise.
constexpr DWORD kTestExceptionCode = 0xE0C0FFEE;

namespace internal {
inline std::function<void(EXCEPTION_POINTERS*)>*& Inspector() {
  static thread_local std::function<void(EXCEPTION_POINTERS*)>* inspector = nullptr;
  return inspector;
}
inline LONG CALLBACK InspectTestException(EXCEPTION_POINTERS* exception) {
  if (exception->ExceptionRecord->ExceptionCode != kTestExceptionCode ||
      Inspector() == nullptr) {
    return EXCEPTION_CONTINUE_SEARCH;
  }
  (*Inspector())(exception);
  return EXCEPTION_CONTINUE_EXECUTION;
}
}  // namespace internal

__attribute__((noinline)) inline void RaiseTestException(
    std::function<void(EXCEPTION_POINTERS*)> inspect) {
  internal::Inspector() = &inspect;
  void* handler = ::AddVectoredExceptionHandler(1, &internal::InspectTestException);
  ::RaiseException(kTestExceptionCode, 0, 0, nullptr);
  ::RemoveVectoredExceptionHandler(handler);
  internal::Inspector() = nullptr;
}

// The allocation base of the image that holds |address|.
inline const void* ImageBaseOf(const void* address) {
  MEMORY_BASIC_INFORMATION info = {};
  if (::VirtualQuery(address, &info, sizeof(info)) != sizeof(info)) return nullptr;
  return info.AllocationBase;
}

}  // namespace crash_testing
}  // namespace ime_shared

#endif  // IME_SHARED_CRASH_CRASH_TEST_HELPERS_H_
