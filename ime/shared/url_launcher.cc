#include "ime/shared/url_launcher.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <memory>

namespace ime_shared {

namespace {

class SystemUserNameImpl : public UserNameInterface {
 public:
  bool ReadUserName(std::wstring* name) override {
    wchar_t buffer[260];
    DWORD size = ARRAYSIZE(buffer);
    if (!::GetUserNameW(buffer, &size)) return false;
    // The size counts the terminator.
    name->assign(buffer, size > 0 ? size - 1 : 0);
    return true;
  }
};

class SystemShellImpl : public ShellOpenInterface {
 public:
  bool OpenAddress(const std::wstring& address) override {
    // The shell may hand the address to extensions that need COM on the
    // calling thread.
    const HRESULT com = ::CoInitializeEx(
        nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    const HINSTANCE result = ::ShellExecuteW(nullptr, L"open", address.c_str(),
                                             nullptr, nullptr, SW_SHOW);
    if (SUCCEEDED(com)) ::CoUninitialize();
    return reinterpret_cast<INT_PTR>(result) > 32;
  }
};

// What the launch thread owns: its own copy of the address, and a reference
// to the image that holds its code.
struct Launch {
  std::wstring address;
  ShellOpenInterface* shell;
  HMODULE image;
};

DWORD WINAPI LaunchThread(void* parameter) {
  HMODULE image = static_cast<Launch*>(parameter)->image;
  DWORD opened = 0;
  try {
    std::unique_ptr<Launch> launch(static_cast<Launch*>(parameter));
    opened = launch->shell->OpenAddress(launch->address) ? 1 : 0;
  } catch (...) {
  }
  // The host may have freed the module while the shell was opening the
  // page (which can take seconds): this image stays mapped until its last
  // reference goes, and the system's function that lets go of it ends the
  // thread without returning here.
  ::FreeLibraryAndExitThread(image, opened);
}

bool EqualsIgnoringAsciiCase(const std::wstring& text, const wchar_t* other) {
  size_t i = 0;
  for (; i < text.size() && other[i] != L'\0'; ++i) {
    wchar_t a = text[i], b = other[i];
    if (a >= L'A' && a <= L'Z') a += L'a' - L'A';
    if (b >= L'A' && b <= L'Z') b += L'a' - L'A';
    if (a != b) return false;
  }
  return i == text.size() && other[i] == L'\0';
}

}  // namespace

UserNameInterface* SystemUserName() {
  static SystemUserNameImpl* const instance = new SystemUserNameImpl;
  return instance;
}

ShellOpenInterface* SystemShell() {
  static SystemShellImpl* const instance = new SystemShellImpl;
  return instance;
}

bool IsSystemAccount(UserNameInterface* user_name) {
  std::wstring name;
  return user_name->ReadUserName(&name) &&
         EqualsIgnoringAsciiCase(name, L"SYSTEM");
}

bool LaunchUrlAsync(const std::wstring& address) {
  return LaunchUrlAsync(address, SystemUserName(), SystemShell());
}

bool LaunchUrlAsync(const std::wstring& address, UserNameInterface* user_name,
                    ShellOpenInterface* shell) {
  if (IsSystemAccount(user_name)) return false;
  std::unique_ptr<Launch> launch(new Launch{address, shell, nullptr});
  // The thread's reference to this image is taken before the thread
  // exists, so that no unload can come between its start and the reference.
  if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                            reinterpret_cast<LPCWSTR>(&LaunchThread), &launch->image)) {
    return false;
  }
  HANDLE thread = ::CreateThread(nullptr, 0, LaunchThread, launch.get(), 0, nullptr);
  if (thread == nullptr) {
    ::FreeLibrary(launch->image);
    return false;
  }
  launch.release();  // the thread's now
  ::CloseHandle(thread);
  return true;
}

}  // namespace ime_shared
