#include "ime/t13n/frontend/language_bar.h"

#include <memory>
#include <string>

#include "ime/shared/base/callbacks.h"
#include "ime/shared/base/com_object.h"
#include "ime/shared/frontend/engine.h"
#include "ime/shared/language_identity.h"
#include "ime/shared/logging.h"
#include "ime/shared/settings_interface.h"
#include "ime/shared/settings_table.h"
#include "ime/shared/string_utils.h"
#include "ime/t13n/frontend/t13n_engine.h"
#include "ime/t13n/frontend/t13n_windows_resources.h"

namespace ime_t13n {

namespace {

using ime_shared::base::ComPtr;
using ime_shared::tsf::LanguageBarButton;

// The buttons, in their order on the bar.
struct ButtonRow {
  const GUID* item;
  DWORD style;
  UINT text_id;
};
const ButtonRow kButtonRows[LanguageBar::kButtonCount] = {
    {&ime_shared::InputMethod::kLangBarToggleButtonGuid, TF_LBI_STYLE_BTN_BUTTON,
     IDS_TOGGLE_LANGUAGE},
    {&ime_shared::InputMethod::kLangBarPickerButtonGuid, TF_LBI_STYLE_BTN_TOGGLE,
     IDS_SHOW_CHAR_PICKER},
    {&ime_shared::InputMethod::kLangBarMenuButtonGuid, TF_LBI_STYLE_BTN_MENU, IDS_OPEN_MENU},
};

// "msctf.dll", loaded at the first request and freed with the last copy of
// the factory.
class TextFrameworkLibrary {
 public:
  TextFrameworkLibrary() = default;
  TextFrameworkLibrary(const TextFrameworkLibrary&) = delete;
  TextFrameworkLibrary& operator=(const TextFrameworkLibrary&) = delete;
  ~TextFrameworkLibrary() {
    if (module_ != nullptr) ::FreeLibrary(module_);
  }

  HRESULT CreateItemManager(ITfLangBarItemMgr** manager) {
    if (manager == nullptr) return E_INVALIDARG;
    *manager = nullptr;
    if (module_ == nullptr) module_ = ::LoadLibraryW(L"msctf.dll");
    if (module_ == nullptr) return E_FAIL;
    using Create = HRESULT(WINAPI*)(ITfLangBarItemMgr**);
    Create create = reinterpret_cast<Create>(
        reinterpret_cast<void*>(::GetProcAddress(module_, "TF_CreateLangBarItemMgr")));
    if (create == nullptr) return E_NOTIMPL;
    HRESULT result = create(manager);
    if (SUCCEEDED(result) && *manager == nullptr) result = E_FAIL;
    return result;
  }

 private:
  HMODULE module_ = nullptr;
};

}  // namespace

ItemManagerFactory SystemItemManagerFactory() {
  auto library = std::make_shared<TextFrameworkLibrary>();
  return [library](ITfLangBarItemMgr** manager) { return library->CreateItemManager(manager); };
}

LanguageBar::LanguageBar(ime_shared::SettingsInterface* settings, ItemManagerFactory item_managers)
    : settings_(settings), item_managers_(std::move(item_managers)) {}

LanguageBar::~LanguageBar() {
  try {
    Remove();
  } catch (...) {
    KELVANE_LOG(LOG_ERROR) << "taking the language-bar buttons away failed";
  }
}

void LanguageBar::Bind(MainMenuInterface* menu, HINSTANCE module, const GUID& text_service) {
  menu_ = menu;
  module_ = module;
  text_service_ = text_service;
}

void LanguageBar::SetEngine(T13nEngine* engine) { engine_ = engine; }

void LanguageBar::Update() {
  const bool floating = settings_ == nullptr ||
                        settings_->GetInt(ime_shared::kSettingFloatingStatusBar) != 0;
  if (floating || engine_ == nullptr) {
    if (created_) Remove();
    return;
  }
  if (!created_) Create();
  if (buttons_[kToggleButton]) buttons_[kToggleButton]->SetIcon(ToggleIcon());
  if (buttons_[kPickerButton]) {
    buttons_[kPickerButton]->SetToggled(
        engine_->GetProperty(ime_shared::frontend::kPropertyPickerShown) != 0);
  }
}

void LanguageBar::Remove() {
  for (ComPtr<LanguageBarButton>& button : buttons_) {
    if (!button) continue;
    // The bar may keep the button after this: it must not reach us then.
    button->SetClickCallback(nullptr);
    button->SetMenuCallback(nullptr);
    button->SetMenu(nullptr);
    ComPtr<ITfLangBarItemMgr> manager = ItemManager();
    if (manager) manager->RemoveItem(button.Get());
    button.Reset();
  }
  created_ = false;
}

HRESULT LanguageBar::Create() {
  for (int index = 0; index < kButtonCount; ++index) {
    ComPtr<LanguageBarButton> button = ime_shared::base::MakeComObject<LanguageBarButton>();
    if (!button) return E_OUTOFMEMORY;
    const ButtonRow& row = kButtonRows[index];
    button->Init({text_service_, *row.item, row.style, static_cast<ULONG>(index)}, module_);
    // The bar reads the description and the icon while the item is being
    // added: both are in place before.
    button->SetText(ime_shared::LoadResourceString(module_, row.text_id));
    switch (index) {
      case kToggleButton:
        button->SetIcon(ToggleIcon());
        break;
      case kPickerButton:
        button->SetIcon(kIconPicker);
        break;
      default:
        button->SetIcon(kIconMenu);
        break;
    }
    ComPtr<ITfLangBarItemMgr> manager = ItemManager();
    if (!manager || FAILED(manager->AddItem(button.Get()))) {
      ComPtr<ITfLangBarItemMgr> fresh = ItemManager();
      if (fresh) fresh->RemoveItem(button.Get());
      continue;
    }
    button->SetClickCallback(ime_shared::base::NewPermanentCallback(
        this, &LanguageBar::OnButtonClicked, static_cast<ButtonIndex>(index)));
    if (index == kMenuButton) {
      button->SetMenuCallback(
          ime_shared::base::NewPermanentCallback(this, &LanguageBar::OnMenuCommand));
    }
    buttons_[index] = button;
  }
  created_ = true;
  return S_OK;
}

void LanguageBar::OnButtonClicked(ButtonIndex index) {
  if (engine_ == nullptr) return;
  switch (index) {
    case kToggleButton:
      engine_->ToggleProperty(ime_shared::frontend::kPropertyTransliterationOn);
      break;
    case kPickerButton:
      engine_->ToggleProperty(ime_shared::frontend::kPropertyPickerShown);
      break;
    case kMenuButton:
      if (buttons_[kMenuButton]) {
        buttons_[kMenuButton]->SetMenu(menu_ != nullptr ? menu_->Build() : nullptr);
      }
      break;
    default:
      break;
  }
}

void LanguageBar::OnMenuCommand(unsigned long id) {
  if (id == 0 || menu_ == nullptr) return;
  menu_->OnCommand(static_cast<UINT>(id), engine_);
}

UINT LanguageBar::ToggleIcon() const {
  if (engine_ == nullptr ||
      engine_->GetProperty(ime_shared::frontend::kPropertyTransliterationOn) == 0) {
    return kIconTransliterationOff;
  }
  const uint32_t language =
      settings_ != nullptr ? settings_->GetInt(ime_shared::kSettingT13nCurrentLanguage) : 0;
  return kIconFirstLanguage + static_cast<UINT>(language);
}

ComPtr<ITfLangBarItemMgr> LanguageBar::ItemManager() const {
  ComPtr<ITfLangBarItemMgr> manager;
  if (!item_managers_ || FAILED(item_managers_(manager.Receive()))) manager.Reset();
  return manager;
}

}  // namespace ime_t13n
