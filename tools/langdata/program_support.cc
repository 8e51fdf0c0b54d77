#include "tools/langdata/program_support.h"

#include <windows.h>

#include <cstdio>

#include "ime/shared/string_utils.h"
#include "ime/t13n/transliteration/transliterator/data_error_box.h"
#include "ime/t13n/transliteration/transliterator/language_data.h"
#include "ime/t13n/transliteration/transliterator/language_data_location.h"
#include "ime/t13n/transliteration/transliterator/transliteration_model.h"

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

std::unique_ptr<ime_t13n::Transliterator> LoadInstalledLanguage(
    const std::string& language) {
  const std::string folder = ime_t13n::InstalledLanguageDataFolder(language);
  if (folder.empty()) {
    std::fprintf(stderr, "\"DataPath\" is not set\n");
    return nullptr;
  }
  PrintingErrorBox box;
  std::unique_ptr<ime_t13n::LanguageData> data(
      new ime_t13n::LanguageData(&box));
  if (!data->LoadFromMap(language, folder)) return nullptr;
  auto* model = new ime_t13n::TransliterationModel(*data);
  return std::unique_ptr<ime_t13n::Transliterator>(
      new ime_t13n::Transliterator(model));
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
