#include "ime/t13n/imm_host/module_driver.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace ime_t13n {
namespace imm_host {

const char* const kExportNames[19] = {
    "ImeInquire",          "ImeSelect",
    "ImeProcessKey",       "ImeToAsciiEx",
    "NotifyIME",           "ImeEscape",
    "ImeSetActiveContext", "ImeConfigure",
    "ImeConversionList",   "ImeDestroy",
    "ImeRegisterWord",     "ImeUnregisterWord",
    "ImeGetRegisterWordStyle", "ImeEnumRegisterWord",
    "ImeSetCompositionString", "DllGetClassObject",
    "DllCanUnloadNow",     "DllRegisterServer",
    "DllUnregisterServer"};

namespace {

template <typename T>
bool ResolveOne(HMODULE module, const char* name, T* out) {
  *out = reinterpret_cast<T>(
      reinterpret_cast<void*>(::GetProcAddress(module, name)));
  return *out != nullptr;
}

}  // namespace

int ModuleExports::Resolve(HMODULE module) {
  int found = 0;
  found += ResolveOne(module, "ImeInquire", &ImeInquire);
  found += ResolveOne(module, "ImeSelect", &ImeSelect);
  found += ResolveOne(module, "ImeProcessKey", &ImeProcessKey);
  found += ResolveOne(module, "ImeToAsciiEx", &ImeToAsciiEx);
  found += ResolveOne(module, "NotifyIME", &NotifyIME);
  found += ResolveOne(module, "ImeEscape", &ImeEscape);
  found += ResolveOne(module, "ImeSetActiveContext", &ImeSetActiveContext);
  found += ResolveOne(module, "ImeConfigure", &ImeConfigure);
  found += ResolveOne(module, "ImeConversionList", &ImeConversionList);
  found += ResolveOne(module, "ImeDestroy", &ImeDestroy);
  found += ResolveOne(module, "ImeRegisterWord", &ImeRegisterWord);
  found += ResolveOne(module, "ImeUnregisterWord", &ImeUnregisterWord);
  found += ResolveOne(module, "ImeGetRegisterWordStyle",
                      &ImeGetRegisterWordStyle);
  found += ResolveOne(module, "ImeEnumRegisterWord", &ImeEnumRegisterWord);
  found += ResolveOne(module, "ImeSetCompositionString",
                      &ImeSetCompositionString);
  found += ResolveOne(module, "DllGetClassObject", &DllGetClassObject);
  found += ResolveOne(module, "DllCanUnloadNow", &DllCanUnloadNow);
  found += ResolveOne(module, "DllRegisterServer", &DllRegisterServer);
  found += ResolveOne(module, "DllUnregisterServer", &DllUnregisterServer);
  return found;
}

bool LoadedModule::Load(const std::wstring& path) {
  Free();
  module_ = ::LoadLibraryW(path.c_str());
  if (module_ == nullptr) return false;
  exports_ = ModuleExports();
  return exports_.Resolve(module_) == 19;
}

void LoadedModule::Free() {
  if (module_ != nullptr) ::FreeLibrary(module_);
  module_ = nullptr;
  exports_ = ModuleExports();
}

std::wstring ModuleBesideProgram() {
  wchar_t path[MAX_PATH];
  const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, length);
  folder = folder.substr(0, folder.find_last_of(L"\\/") + 1);
  std::wstring code;
  for (const char* c = IME_LANGUAGE_CODE; *c != '\0'; ++c) code += *c;
  return folder + L"Kelvane_" + code + L".ime";
}

UINT VirtualKeyOf(wchar_t character) {
  if (character >= L'a' && character <= L'z') return character - L'a' + 'A';
  if (character >= L'A' && character <= L'Z') return character;
  if (character >= L'0' && character <= L'9') return character;
  if (character == L' ') return VK_SPACE;
  return 0;
}

std::string ToUtf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, text.data(),
                                          static_cast<int>(text.size()),
                                          nullptr, 0, nullptr, nullptr);
  std::string out(bytes, '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(),
                        static_cast<int>(text.size()), &out[0], bytes,
                        nullptr, nullptr);
  return out;
}

KeyResult DrivenContext::Key(UINT virtual_key, bool down, UINT capacity,
                             double* process_key_us) {
  KeyResult result;
  const UINT scan = ::MapVirtualKeyW(virtual_key, MAPVK_VK_TO_VSC);
  if (down) {
    key_state_[virtual_key & 0xFF] |= 0x80;
  } else {
    key_state_[virtual_key & 0xFF] &= ~0x80;
  }
  // The key data of a WM_KEYDOWN or WM_KEYUP: repeat count 1, scan code,
  // previous state and transition bits on release.
  const LPARAM key_data = 1 | (static_cast<LPARAM>(scan) << 16) |
                          (down ? 0 : (LPARAM{3} << 30));
  LARGE_INTEGER before, after, frequency;
  ::QueryPerformanceCounter(&before);
  result.eaten = exports_.ImeProcessKey(himc_, virtual_key, key_data,
                                        key_state_) != FALSE;
  ::QueryPerformanceCounter(&after);
  if (process_key_us != nullptr) {
    ::QueryPerformanceFrequency(&frequency);
    *process_key_us = static_cast<double>(after.QuadPart - before.QuadPart) *
                      1e6 / static_cast<double>(frequency.QuadPart);
  }
  if (!result.eaten) return result;

  WORD characters[2] = {0, 0};
  const int produced =
      ::ToAscii(virtual_key, scan, key_state_, characters, 0);
  const UINT character = produced > 0 ? characters[0] : 0;
  std::vector<uint8_t> storage(offsetof(TRANSMSGLIST, TransMsg) +
                               (capacity + 1) * sizeof(TRANSMSG));
  auto* list = reinterpret_cast<TRANSMSGLIST*>(storage.data());
  list->uMsgCount = capacity;
  result.count = exports_.ImeToAsciiEx(virtual_key | (character << 16),
                                       scan | (down ? 0 : 0x8000), key_state_,
                                       list, 0, himc_);
  Collect(list, capacity, &result);
  return result;
}

void DrivenContext::Collect(const TRANSMSGLIST* list, UINT capacity,
                            KeyResult* result) {
  INPUTCONTEXT* context = ::ImmLockIMC(himc_);
  const DWORD buffered = context != nullptr ? context->dwNumMsgBuf : 0;
  if (result->count > capacity || buffered > 0) {
    // A list too small: every message is in the context's buffer.
    result->from_buffer = true;
    if (context != nullptr && context->hMsgBuf != nullptr) {
      const auto* messages =
          static_cast<const TRANSMSG*>(::ImmLockIMCC(context->hMsgBuf));
      if (messages != nullptr) {
        for (DWORD i = 0; i < buffered; ++i) {
          result->messages.push_back(
              {messages[i].message, messages[i].wParam, messages[i].lParam});
        }
        ::ImmUnlockIMCC(context->hMsgBuf);
      }
      context->dwNumMsgBuf = 0;
    }
  } else {
    for (UINT i = 0; i < result->count; ++i) {
      result->messages.push_back({list->TransMsg[i].message,
                                  list->TransMsg[i].wParam,
                                  list->TransMsg[i].lParam});
    }
  }
  if (context != nullptr) ::ImmUnlockIMC(himc_);
}

KeyResult DrivenContext::Press(UINT virtual_key, UINT capacity) {
  KeyResult result = Key(virtual_key, true, capacity);
  Key(virtual_key, false, capacity);
  return result;
}

void DrivenContext::Type(const std::wstring& text) {
  for (wchar_t character : text) {
    const UINT virtual_key = VirtualKeyOf(character);
    if (virtual_key != 0) Press(virtual_key);
  }
}

void DrivenContext::SetModifier(UINT virtual_key, bool down) {
  const BYTE value = down ? 0x80 : 0;
  key_state_[virtual_key & 0xFF] = value;
  if (virtual_key == VK_SHIFT) key_state_[VK_LSHIFT] = value;
  if (virtual_key == VK_CONTROL) key_state_[VK_LCONTROL] = value;
}

std::wstring DrivenContext::CompositionString(DWORD index) const {
  const LONG bytes = ::ImmGetCompositionStringW(himc_, index, nullptr, 0);
  if (bytes <= 0) return std::wstring();
  std::wstring text(bytes / sizeof(wchar_t), L'\0');
  ::ImmGetCompositionStringW(himc_, index, &text[0], bytes);
  return text;
}

LONG DrivenContext::CursorPosition() const {
  return ::ImmGetCompositionStringW(himc_, GCS_CURSORPOS, nullptr, 0);
}

std::vector<std::wstring> DrivenContext::Candidates() const {
  std::vector<std::wstring> strings;
  const DWORD bytes = ::ImmGetCandidateListW(himc_, 0, nullptr, 0);
  if (bytes == 0) return strings;
  std::vector<uint8_t> buffer(bytes);
  auto* list = reinterpret_cast<CANDIDATELIST*>(buffer.data());
  if (::ImmGetCandidateListW(himc_, 0, list, bytes) != bytes) return strings;
  for (DWORD i = 0; i < list->dwCount; ++i) {
    strings.push_back(
        reinterpret_cast<const wchar_t*>(buffer.data() + list->dwOffset[i]));
  }
  return strings;
}

DWORD DrivenContext::Conversion() const {
  DWORD conversion = 0;
  DWORD sentence = 0;
  ::ImmGetConversionStatus(himc_, &conversion, &sentence);
  return conversion;
}

}  // namespace imm_host
}  // namespace ime_t13n
