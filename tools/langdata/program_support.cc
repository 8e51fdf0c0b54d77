#include "tools/langdata/program_support.h"

#include <windows.h>

#include <cstdio>

#include "ime/shared/string_utils.h"
#include "ime/t13n/transliteration/transliterator/data_error_box.h"
#include "ime/t13n/transliteration/transliterator/language_data_location.h"

namespace langdata {

namespace {

class PrintingErrorBox : public ime_t13n::ErrorBoxInterface {
 public:
  int Show(HWND, const std::wstring& text, const std::wstring&,
           UINT) override {
    std::fprintf(stderr, "language data: %s\n",
                 ime_shared::WideToUtf8(text).c_str());
    return IDOK;
  }
};

}  // namespace

std::unique_ptr<ime_shared::StorageManagerImpl> LoadInstalledLanguage(
    const std::string& language) {
  if (ime_t13n::InstalledLanguageDataFolder(language).empty()) {
    std::fprintf(stderr, "\"DataPath\" is not set\n");
    return nullptr;
  }
  // Outlives every manager: the manager keeps the pointer.
  static PrintingErrorBox box;
  std::unique_ptr<ime_shared::StorageManagerImpl> manager(
      ime_shared::StorageManagerImpl::Create(
          ime_shared::StoragePlaces::Product(), &box));
  if (!manager || !manager->Init(language) ||
      manager->GetTransliterator() == nullptr) {
    std::fprintf(stderr, "the language \"%s\" did not load\n",
                 language.c_str());
    return nullptr;
  }
  return manager;
}

size_t PrivateBytes() {
  size_t total = 0;
  const uint8_t* address = nullptr;
  MEMORY_BASIC_INFORMATION info;
  while (::VirtualQuery(address, &info, sizeof(info)) == sizeof(info)) {
    if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) {
      total += info.RegionSize;
    }
    const uint8_t* next =
        static_cast<const uint8_t*>(info.BaseAddress) + info.RegionSize;
    if (next <= address) break;
    address = next;
  }
  return total;
}

bool ReadWholeFile(const std::wstring& path, std::string* bytes) {
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size;
  bool ok = ::GetFileSizeEx(file, &size) && size.QuadPart < (1LL << 30);
  if (ok) {
    bytes->resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    ok = bytes->empty() ||
         (::ReadFile(file, &(*bytes)[0], static_cast<DWORD>(bytes->size()),
                     &read, nullptr) &&
          read == bytes->size());
  }
  ::CloseHandle(file);
  return ok;
}

double Now() {
  LARGE_INTEGER frequency, counter;
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) /
         static_cast<double>(frequency.QuadPart);
}

}  // namespace langdata
