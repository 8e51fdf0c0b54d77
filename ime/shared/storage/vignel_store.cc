#include "ime/shared/storage/vignel_store.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <string>

#include "ime/shared/base/process_exit.h"
#include "ime/shared/base/scoped_handle.h"
#include "ime/shared/product_folders.h"
#include "ime/shared/settings_interface.h"
#include "ime/shared/settings_table.h"
#include "ime/shared/storage/vignel_info.pb.h"
#include "ime/shared/string_utils.h"

namespace ime_shared {

const wchar_t kVignelFolderName[] = L"Vignels";
const wchar_t kVignelIndexFileName[] = L"index.pb";
const wchar_t kVignelInfoFileName[] = L"info.pb";

namespace {

// FOF_MULTIDESTFILES | FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR |
// FOF_NOERRORUI: the copy runs inside a host application and must never
// show a progress window, a question or an error box.
constexpr FILEOP_FLAGS kCopyFlags = 0x615;

// 1601-01-01 to 1970-01-01 in FILETIME units of 100 ns.
constexpr uint64_t kUnixEpochInFileTime = 116444736000000000ULL;
constexpr uint64_t kFileTimeUnitsPerSecond = 10000000ULL;

// A path that names its drive or server: "X:\..." or "\\server\...".
// Anything else would resolve against the host's current folder or drive.
bool IsFullPath(const std::wstring& path) {
  if (path.size() >= 3 && path[1] == L':' &&
      (path[2] == L'\\' || path[2] == L'/')) {
    return (path[0] >= L'A' && path[0] <= L'Z') ||
           (path[0] >= L'a' && path[0] <= L'z');
  }
  return path.size() > 2 && path[0] == L'\\' && path[1] == L'\\';
}

std::wstring InFolder(const std::wstring& folder, const std::wstring& name) {
  return folder + L"\\" + name;
}

std::wstring VignelFolder(const std::wstring& user_folder, int id) {
  return InFolder(user_folder, std::to_wstring(id));
}

// Whether |name| stays a file name inside the vignel's folder.
bool IsPlainFileName(const std::wstring& name) {
  return !name.empty() &&
         name.find_first_of(std::wstring(L"\\/:\0", 4)) == std::wstring::npos &&
         name.find(L"..") == std::wstring::npos;
}

// Parses |bytes| into |message|; false unless every required field is set.
// The partial parse with the check done here keeps the protobuf library
// from logging the missing fields.
bool ParseComplete(const std::string& bytes,
                   google::protobuf::MessageLite* message) {
  return message->ParsePartialFromString(bytes) && message->IsInitialized();
}

// The first item whose period holds |now|, in file order; null when none.
const ime_vignel::VignelIndex::VignelItem* CurrentItem(
    const ime_vignel::VignelIndex& index, uint64_t now) {
  for (const auto& item : index.vignelitem()) {
    // now < start + duration, written so that a huge duration cannot wrap.
    if (item.start_time() <= now && now - item.start_time() < item.duration()) {
      return &item;
    }
  }
  return nullptr;
}

}  // namespace

std::wstring VignelEnvironment::UserFolder() {
  return GetUserDataFilePath(kVignelFolderName);
}

std::wstring VignelEnvironment::MachineFolder() { return GetDataFilePath(); }

uint64_t VignelEnvironment::Now() {
  FILETIME now = {};
  ::GetSystemTimeAsFileTime(&now);
  const uint64_t units =
      (static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  if (units < kUnixEpochInFileTime) return 0;
  return (units - kUnixEpochInFileTime) / kFileTimeUnitsPerSecond;
}

bool VignelEnvironment::FileExists(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool VignelEnvironment::CopyFolder(const std::wstring& from,
                                   const std::wstring& to) {
  // The shell takes lists of paths, each ended by a NUL, the list by a
  // second one.
  std::wstring source = from;
  FILEOP_FLAGS flags = kCopyFlags;
  const DWORD attributes = ::GetFileAttributesW(to.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    // A user folder that exists already (without an index) would receive
    // the machine folder inside it, and never get an index of its own:
    // the machine folder's contents go into it instead.
    source += L"\\*";
    flags &= ~FOF_MULTIDESTFILES;
  }
  source.append(2, L'\0');
  std::wstring destination = to;
  destination.append(2, L'\0');
  SHFILEOPSTRUCTW operation = {};
  operation.wFunc = FO_COPY;
  operation.pFrom = source.c_str();
  operation.pTo = destination.c_str();
  operation.fFlags = flags;
  base::FileWorkScope file_work;
  return ::SHFileOperationW(&operation) == 0;
}

bool VignelEnvironment::ReadFile(const std::wstring& path,
                                 std::string* bytes) {
  base::FileWorkScope file_work;
  base::ScopedFileHandle file(::CreateFileW(
      path.c_str(), GENERIC_READ,
      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  LARGE_INTEGER size = {};
  if (!::GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0 ||
      static_cast<uint64_t>(size.QuadPart) > kMaxVignelFileBytes) {
    return false;
  }
  std::string content(static_cast<size_t>(size.QuadPart), '\0');
  size_t done = 0;
  while (done < content.size()) {
    DWORD read = 0;
    if (!::ReadFile(file.Get(), &content[done],
                    static_cast<DWORD>(content.size() - done), &read,
                    nullptr) ||
        read == 0) {
      return false;
    }
    done += read;
  }
  bytes->swap(content);
  return true;
}

VignelEnvironment* VignelEnvironment::Product() {
  // Holds nothing, so it is never destroyed: it stays usable during the
  // module's static destructors.
  static VignelEnvironment* const product = new VignelEnvironment();
  return product;
}

bool LoadVignelIndex(VignelEnvironment* environment,
                     ime_vignel::VignelIndex* index) {
  try {
    const std::wstring user_folder = environment->UserFolder();
    if (!IsFullPath(user_folder)) return false;
    const std::wstring index_path =
        InFolder(user_folder, kVignelIndexFileName);
    if (!environment->FileExists(index_path)) {
      const std::wstring machine_folder = environment->MachineFolder();
      if (!IsFullPath(machine_folder) ||
          !environment->CopyFolder(machine_folder, user_folder)) {
        return false;
      }
    }
    std::string bytes;
    return environment->ReadFile(index_path, &bytes) &&
           ParseComplete(bytes, index);
  } catch (...) {
    return false;
  }
}

bool LoadVignelInfo(VignelEnvironment* environment, int id,
                    std::wstring* display_name, std::wstring* image_path,
                    std::wstring* search_text) {
  try {
    const std::wstring user_folder = environment->UserFolder();
    if (!IsFullPath(user_folder)) return false;
    const std::wstring folder = VignelFolder(user_folder, id);
    std::string bytes;
    ime_vignel::VignelInfo info;
    if (!environment->ReadFile(InFolder(folder, kVignelInfoFileName),
                               &bytes) ||
        !ParseComplete(bytes, &info)) {
      return false;
    }
    // Invalid UTF-8 gives an empty name, which is refused with the others.
    const std::wstring image_name = Utf8ToWide(info.vignel_image());
    if (!IsPlainFileName(image_name)) return false;
    std::wstring name = Utf8ToWide(info.display_name());
    std::wstring search = Utf8ToWide(info.search_string());
    *image_path = InFolder(folder, image_name);
    display_name->swap(name);
    search_text->swap(search);
    return true;
  } catch (...) {
    return false;
  }
}

VignelStore::VignelStore(const SettingsInterface* settings,
                         VignelEnvironment* environment)
    : settings_(settings),
      environment_(environment != nullptr ? environment
                                          : VignelEnvironment::Product()),
      index_(new ime_vignel::VignelIndex()) {}

VignelStore::~VignelStore() = default;

bool VignelStore::ChooseVignel(const std::function<bool(int id)>& show_vignel,
                               bool* is_default) {
  try {
    if (!index_tried_) {
      // One attempt for the store's life, whatever its outcome: without
      // vignel files every layout would otherwise cost a shell copy and a
      // file open on the host's input thread.
      index_tried_ = true;
      index_read_ = ime_shared::LoadVignelIndex(environment_, index_.get());
      if (!index_read_) index_->Clear();
    }
    if (index_read_) {
      const ime_vignel::VignelIndex::VignelItem* item =
          CurrentItem(*index_, environment_->Now());
      if (item != nullptr && item->id() != 0 &&
          show_vignel(static_cast<int>(item->id()))) {
        if (is_default != nullptr) *is_default = false;
        return true;
      }
    }
    if (is_default != nullptr) *is_default = true;
    const uint32_t default_id =
        settings_ != nullptr ? settings_->GetInt(kSettingDefaultVignelId) : 0;
    return show_vignel(static_cast<int>(default_id));
  } catch (...) {
    return false;
  }
}

bool VignelStore::LoadVignelInfo(int id, std::wstring* display_name,
                                 std::wstring* image_path,
                                 std::wstring* search_text) {
  return ime_shared::LoadVignelInfo(environment_, id, display_name,
                                    image_path, search_text);
}

}  // namespace ime_shared
