// Driving the built input-method module the way IMM32 drives an input
// method, for the programs that play IMM32's part (the demonstration host,
// the benchmark) and for the tests of the built module: its exports
// resolved by name, and an input context whose keys go through
// ImeProcessKey and ImeToAsciiEx with the messages collected as IMM32
// collects them (from the caller's list, or all of them from the context's
// message buffer when the list was too small).
#ifndef IME_T13N_IMM_HOST_MODULE_DRIVER_H_
#define IME_T13N_IMM_HOST_MODULE_DRIVER_H_

#include <windows.h>

#include <string>
#include <vector>

#include "ime/shared/base/imm_ddk.h"

namespace ime_t13n {
namespace imm_host {

// The 15 IMM32 exports and the four COM exports of the module.
struct ModuleExports {
  ImeInquireProc ImeInquire = nullptr;
  ImeSelectProc ImeSelect = nullptr;
  ImeProcessKeyProc ImeProcessKey = nullptr;
  ImeToAsciiExProc ImeToAsciiEx = nullptr;
  NotifyIMEProc NotifyIME = nullptr;
  ImeEscapeProc ImeEscape = nullptr;
  ImeSetActiveContextProc ImeSetActiveContext = nullptr;
  ImeConfigureProc ImeConfigure = nullptr;
  ImeConversionListProc ImeConversionList = nullptr;
  ImeDestroyProc ImeDestroy = nullptr;
  ImeRegisterWordProc ImeRegisterWord = nullptr;
  ImeUnregisterWordProc ImeUnregisterWord = nullptr;
  ImeGetRegisterWordStyleProc ImeGetRegisterWordStyle = nullptr;
  ImeEnumRegisterWordProc ImeEnumRegisterWord = nullptr;
  ImeSetCompositionStringProc ImeSetCompositionString = nullptr;
  HRESULT(STDAPICALLTYPE* DllGetClassObject)(REFCLSID, REFIID, void**) =
      nullptr;
  HRESULT(STDAPICALLTYPE* DllCanUnloadNow)() = nullptr;
  HRESULT(STDAPICALLTYPE* DllRegisterServer)() = nullptr;
  HRESULT(STDAPICALLTYPE* DllUnregisterServer)() = nullptr;

  // Resolves every export of |module|; the number found (19 when all are).
  int Resolve(HMODULE module);
};

// The names of the 19 exports.
extern const char* const kExportNames[19];

// A module loaded with LoadLibraryW, freed with the object.
class LoadedModule {
 public:
  LoadedModule() = default;
  ~LoadedModule() { Free(); }
  LoadedModule(const LoadedModule&) = delete;
  LoadedModule& operator=(const LoadedModule&) = delete;

  // Loads |path| and resolves its exports; false when it does not load or
  // an export is missing.
  bool Load(const std::wstring& path);
  void Free();

  HMODULE handle() const { return module_; }
  const ModuleExports& exports() const { return exports_; }

 private:
  HMODULE module_ = nullptr;
  ModuleExports exports_;
};

// The full path of the built module "Kelvane_<language>.ime" beside the
// running program.
std::wstring ModuleBesideProgram();

// One message from the input method to the application.
struct Message {
  UINT message;
  WPARAM wparam;
  LPARAM lparam;
};

// What one key gave.
struct KeyResult {
  bool eaten = false;            // ImeProcessKey's answer
  UINT count = 0;                // ImeToAsciiEx's answer
  bool from_buffer = false;      // the messages came from hMsgBuf
  std::vector<Message> messages; // in order
};

// An input context of the system's IMM32 that selected the module, with a
// keyboard state of its own.
class DrivenContext {
 public:
  // |himc| is the caller's (it stays the caller's).
  DrivenContext(const ModuleExports& exports, HIMC himc)
      : exports_(exports), himc_(himc) {}

  HIMC himc() const { return himc_; }

  // One key event: ImeProcessKey, and when the key is eaten ImeToAsciiEx
  // with a list of |capacity| messages (the character in the high word of
  // the virtual key, bit 15 of the scan code on release).
  // With |process_key_us|, the time ImeProcessKey took is stored there.
  KeyResult Key(UINT virtual_key, bool down, UINT capacity = 10,
                double* process_key_us = nullptr);
  // Key-down and release of |virtual_key|; the down's result.
  KeyResult Press(UINT virtual_key, UINT capacity = 10);
  // Presses the key of each character of |text| (letters, digits, space).
  void Type(const std::wstring& text);
  // Holds a modifier (VK_SHIFT, VK_CONTROL) down or lets it go.
  void SetModifier(UINT virtual_key, bool down);

  // What the application reads: ImmGetCompositionStringW of |index| (a
  // string), the cursor position, and the candidate strings of list 0.
  std::wstring CompositionString(DWORD index) const;
  LONG CursorPosition() const;
  std::vector<std::wstring> Candidates() const;
  // The conversion status of the context.
  DWORD Conversion() const;

  const BYTE* key_state() const { return key_state_; }

 private:
  // The messages of one ImeToAsciiEx, taken as IMM32 takes them.
  void Collect(const TRANSMSGLIST* list, UINT capacity, KeyResult* result);

  const ModuleExports& exports_;
  HIMC himc_;
  BYTE key_state_[256] = {};
};

// The virtual key of a character of |text| for DrivenContext::Type and for
// SendInput (letters, digits, space); 0 for others.
UINT VirtualKeyOf(wchar_t character);

// |text| in UTF-8.
std::string ToUtf8(const std::wstring& text);

}  // namespace imm_host
}  // namespace ime_t13n

#endif  // IME_T13N_IMM_HOST_MODULE_DRIVER_H_
