#include "ime/shared/settings_section.h"

#include "ime/shared/security.h"

namespace ime_shared {

const wchar_t kSettingsSectionName[] =
    L"TARVEL_T13N_IMESETTINGS_" IME_LANGUAGE_CODE;

SettingsSection::SettingsSection()
    : view_(nullptr), record_(nullptr), reported_size_(0) {}

SettingsSection::~SettingsSection() {
  if (view_ != nullptr) ::UnmapViewOfFile(view_);
}

HRESULT SettingsSection::Open(const std::wstring& name) {
  SECURITY_ATTRIBUTES attributes;
  MakeSharedObjectSecurityAttributes(&attributes);
  HRESULT result = kFailed;
  section_.Reset(::CreateFileMappingW(INVALID_HANDLE_VALUE, &attributes,
                                      PAGE_READWRITE, 0,
                                      sizeof(SettingsSharedMemory),
                                      name.c_str()));
  const bool existed = ::GetLastError() == ERROR_ALREADY_EXISTS;
  if (section_) {
    SetLowIntegrityLabel(name.c_str());
    // Only our own layout is mapped: a smaller section of the same name
    // fails here instead of being read past its end.
    view_ = static_cast<SettingsSharedMemory*>(
        ::MapViewOfFile(section_.Get(), FILE_MAP_READ | FILE_MAP_WRITE, 0, 0,
                        sizeof(SettingsSharedMemory)));
    if (view_ == nullptr) {
      section_.Reset();
    } else if (existed) {
      reported_size_ = view_->payload_size;
      result = kOpenedExisting;
    } else {
      view_->payload_size = sizeof(SettingsRecord);
      result = kCreated;
    }
  }
  if (view_ != nullptr) {
    record_ = &view_->record;
  } else {
    private_record_.reset(new SettingsRecord());
    record_ = private_record_.get();
  }
  return result;
}

}  // namespace ime_shared
