// The text service in the built module "Kelvane_<language>.ime", loaded as
// TSF loads it. Run in a Wine prefix of its own (the machine-wide product
// values, the class registration and the language profile are written
// here) with the Hindi locale, so that Wine's TSF takes a 0x0439 profile.
//
// Through the module's class factory the service activates with no focused
// document and lets the module go after its deactivation. Through Wine's
// own TSF (msctf), the registered service is created and activated by the
// thread manager; a focused document over a small text store of the test's
// does not harm it (Wine refuses the context's layout sink, so the context
// stays half bound), and deactivation releases it. Wine delivers no keys to
// a text service, so typing is tested against fakes (ime/shared/tsf).
#include <windows.h>
#include <msctf.h>
#include <olectl.h>
#include <textstor.h>

#include <string>

#include "gtest/gtest.h"
#include "ime/shared/base/com_bstr.h"
#include "ime/shared/base/com_object.h"
#include "ime/shared/base/com_ptr.h"
#include "ime/shared/base/tsf_declarations.h"
#include "ime/shared/language_identity.h"
#include "ime/shared/product_registry.h"
#include "ime/shared/string_utils.h"
#include "ime/shared/testing/scratch_registry_key.h"
#include "ime/shared/tsf/testing/fake_thread_manager.h"
#include "ime/t13n/imm_host/module_driver.h"

namespace {

using ime_shared::InputMethod;
using ime_shared::base::ComPtr;
using ime_shared::base::MakeComObject;
using ime_testing::RegistryPlace;

constexpr LANGID kHindi = 0x0439;

// The installation's machine-wide values, for the whole program.
class ProductValues : public ::testing::Environment {
 public:
  void SetUp() override {
    RegistryPlace product(HKEY_LOCAL_MACHINE, ime_shared::kProductKeyPath, KEY_WOW64_64KEY);
    RegistryPlace updater(HKEY_LOCAL_MACHINE, ime_shared::kAutoupdateKeyPath, KEY_WOW64_64KEY);
    ASSERT_EQ(product.SetString(ime_shared::kDataPathValue,
                                ime_shared::Utf8ToWide(KELVANE_BUILT_DATA_DIR)),
              ERROR_SUCCESS)
        << "could not write the data folder among the product's machine-wide values";
    ASSERT_EQ(updater.SetString(ime_shared::kInstalledVersionValue, L"1.0.4.0"), ERROR_SUCCESS)
        << "could not write the installed version among the updater's machine-wide values";
  }
};
const ::testing::Environment* const kProductValues =
    ::testing::AddGlobalTestEnvironment(new ProductValues);

// The module's DllCanUnloadNow, when the module is loaded.
HRESULT ModuleCanUnloadNow() {
  const std::wstring path = ime_t13n::imm_host::ModuleBesideProgram();
  HMODULE module = ::GetModuleHandleW(path.substr(path.find_last_of(L'\\') + 1).c_str());
  if (module == nullptr) return E_UNEXPECTED;
  auto can_unload = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
      reinterpret_cast<void*>(::GetProcAddress(module, "DllCanUnloadNow")));
  return can_unload != nullptr ? can_unload() : E_UNEXPECTED;
}

class ComApartment {
 public:
  ComApartment() { ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  ~ComApartment() { ::CoUninitialize(); }
};

TEST(BuiltTextServiceTest, FactoryMakesAServiceThatActivatesUnboundAndLetsTheModuleGo) {
  ComApartment apartment;
  ime_t13n::imm_host::LoadedModule module;
  ASSERT_TRUE(module.Load(ime_t13n::imm_host::ModuleBesideProgram()));
  const ime_t13n::imm_host::ModuleExports& exports = module.exports();
  {
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(exports.DllGetClassObject(InputMethod::kTextServiceClsid, IID_IClassFactory,
                                        reinterpret_cast<void**>(factory.Receive())),
              S_OK);
    ComPtr<ITfTextInputProcessorEx> service;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_ITfTextInputProcessorEx,
                                      reinterpret_cast<void**>(service.Receive())),
              S_OK);
    factory.Reset();
    ComPtr<ime_tsf_testing::FakeThreadMgr> thread_manager =
        MakeComObject<ime_tsf_testing::FakeThreadMgr>();
    EXPECT_EQ(service->ActivateEx(thread_manager.Get(), 0x51, 0), S_OK);
    // Unbound: the thread manager's events are heard, no document's.
    EXPECT_EQ(thread_manager->sinks().Count(IID_ITfThreadMgrEventSink), 1u);
    EXPECT_EQ(thread_manager->sinks().Count(IID_ITfThreadFocusSink), 0u);
    ComPtr<ITfFnConfigure> configure;
    ASSERT_EQ(configure.QueryFrom(service.Get()), S_OK);
    ime_shared::base::ScopedBstr name;
    EXPECT_EQ(configure->GetDisplayName(name.Receive()), S_OK);
    EXPECT_EQ(name.ToString(), L"Tarvel Translit");
    EXPECT_EQ(exports.DllCanUnloadNow(), S_FALSE);
    EXPECT_EQ(service->Deactivate(), S_OK);
    EXPECT_EQ(thread_manager->sinks().size(), 0u);
  }
  EXPECT_EQ(exports.DllCanUnloadNow(), S_OK);
}

// A document of one empty line that grants every lock at once.
class TextStore : public ime_shared::base::ComObject<ITextStoreACP> {
 public:
  STDMETHODIMP AdviseSink(REFIID iid, IUnknown* sink, DWORD mask) override {
    if (!IsEqualIID(iid, IID_ITextStoreACPSink)) return E_INVALIDARG;
    if (sink_) return CONNECT_E_ADVISELIMIT;
    return sink_.QueryFrom(sink);
  }
  STDMETHODIMP UnadviseSink(IUnknown* sink) override {
    sink_.Reset();
    return S_OK;
  }
  STDMETHODIMP RequestLock(DWORD flags, HRESULT* session) override {
    if (session == nullptr) return E_INVALIDARG;
    *session = sink_ ? sink_->OnLockGranted(flags) : E_FAIL;
    ++locks;
    return S_OK;
  }
  STDMETHODIMP GetStatus(TS_STATUS* status) override {
    if (status == nullptr) return E_INVALIDARG;
    status->dwDynamicFlags = 0;
    status->dwStaticFlags = 0;
    return S_OK;
  }
  STDMETHODIMP QueryInsert(LONG start, LONG end, ULONG length, LONG* result_start,
                           LONG* result_end) override {
    *result_start = start;
    *result_end = end;
    return S_OK;
  }
  STDMETHODIMP GetSelection(ULONG index, ULONG count, TS_SELECTION_ACP* selection,
                            ULONG* fetched) override {
    if (selection == nullptr || fetched == nullptr) return E_INVALIDARG;
    *fetched = 0;
    if (count == 0) return S_OK;
    selection[0] = TS_SELECTION_ACP();
    selection[0].style.ase = TS_AE_END;
    *fetched = 1;
    return S_OK;
  }
  STDMETHODIMP SetSelection(ULONG count, const TS_SELECTION_ACP* selection) override {
    return S_OK;
  }
  STDMETHODIMP GetText(LONG start, LONG end, WCHAR* text, ULONG text_size, ULONG* text_length,
                       TS_RUNINFO* runs, ULONG run_size, ULONG* run_count,
                       LONG* next) override {
    if (text_length != nullptr) *text_length = 0;
    if (run_count != nullptr) *run_count = 0;
    if (next != nullptr) *next = 0;
    return S_OK;
  }
  STDMETHODIMP SetText(DWORD flags, LONG start, LONG end, const WCHAR* text, ULONG length,
                       TS_TEXTCHANGE* change) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP GetFormattedText(LONG start, LONG end, IDataObject** data) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP GetEmbedded(LONG position, REFGUID service, REFIID iid,
                           IUnknown** object) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP QueryInsertEmbedded(const GUID* service, const FORMATETC* format,
                                   BOOL* insertable) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP InsertEmbedded(DWORD flags, LONG start, LONG end, IDataObject* data,
                              TS_TEXTCHANGE* change) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP InsertTextAtSelection(DWORD flags, const WCHAR* text, ULONG length,
                                     LONG* start, LONG* end, TS_TEXTCHANGE* change) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP InsertEmbeddedAtSelection(DWORD flags, IDataObject* data, LONG* start,
                                         LONG* end, TS_TEXTCHANGE* change) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP RequestSupportedAttrs(DWORD flags, ULONG count, const TS_ATTRID* ids) override {
    return S_OK;
  }
  STDMETHODIMP RequestAttrsAtPosition(LONG position, ULONG count, const TS_ATTRID* ids,
                                      DWORD flags) override {
    return S_OK;
  }
  STDMETHODIMP RequestAttrsTransitioningAtPosition(LONG position, ULONG count,
                                                   const TS_ATTRID* ids, DWORD flags) override {
    return S_OK;
  }
  STDMETHODIMP FindNextAttrTransition(LONG start, LONG halt, ULONG count, const TS_ATTRID* ids,
                                      DWORD flags, LONG* next, BOOL* found,
                                      LONG* offset) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP RetrieveRequestedAttrs(ULONG count, TS_ATTRVAL* values,
                                      ULONG* fetched) override {
    if (fetched != nullptr) *fetched = 0;
    return S_OK;
  }
  STDMETHODIMP GetEndACP(LONG* end) override {
    if (end == nullptr) return E_INVALIDARG;
    *end = 0;
    return S_OK;
  }
  STDMETHODIMP GetActiveView(TsViewCookie* view) override {
    if (view == nullptr) return E_INVALIDARG;
    *view = 1;
    return S_OK;
  }
  STDMETHODIMP GetACPFromPoint(TsViewCookie view, const POINT* point, DWORD flags,
                               LONG* position) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP GetTextExt(TsViewCookie view, LONG start, LONG end, RECT* rect,
                          BOOL* clipped) override {
    if (rect == nullptr) return E_INVALIDARG;
    *rect = RECT{100, 100, 100, 116};
    if (clipped != nullptr) *clipped = FALSE;
    return S_OK;
  }
  STDMETHODIMP GetScreenExt(TsViewCookie view, RECT* rect) override {
    if (rect == nullptr) return E_INVALIDARG;
    *rect = RECT{100, 100, 500, 300};
    return S_OK;
  }
  STDMETHODIMP GetWnd(TsViewCookie view, HWND* window) override {
    if (window == nullptr) return E_INVALIDARG;
    *window = nullptr;
    return S_OK;
  }

  int locks = 0;

 private:
  ComPtr<ITextStoreACPSink> sink_;
};

// Registers the built module as the apartment-threaded class of the text
// service, with a Hindi profile in the keyboard category, as the product's
// installation does.
void RegisterTextService() {
  const std::wstring key =
      L"Software\\Classes\\CLSID\\" + ime_shared::GuidToString(InputMethod::kTextServiceClsid);
  RegistryPlace service(HKEY_LOCAL_MACHINE, key, KEY_WOW64_64KEY);
  ASSERT_EQ(service.SetString(L"", L"Tarvel Input Method"), ERROR_SUCCESS);
  RegistryPlace server(HKEY_LOCAL_MACHINE, key + L"\\InprocServer32", KEY_WOW64_64KEY);
  ASSERT_EQ(server.SetString(L"", ime_t13n::imm_host::ModuleBesideProgram()), ERROR_SUCCESS);
  ASSERT_EQ(server.SetString(L"ThreadingModel", L"Apartment"), ERROR_SUCCESS);

  ComPtr<ITfInputProcessorProfiles> profiles;
  ASSERT_EQ(::CoCreateInstance(CLSID_TF_InputProcessorProfiles, nullptr, CLSCTX_INPROC_SERVER,
                               IID_ITfInputProcessorProfiles,
                               reinterpret_cast<void**>(profiles.Receive())),
            S_OK);
  ASSERT_EQ(profiles->Register(InputMethod::kTextServiceClsid), S_OK);
  const std::wstring description = L"Tarvel Translit";
  ASSERT_EQ(profiles->AddLanguageProfile(
                InputMethod::kTextServiceClsid, kHindi, InputMethod::kInputProcessorProfile,
                description.c_str(), static_cast<ULONG>(description.size()), L"", 0, 0),
            S_OK);
  ASSERT_EQ(profiles->EnableLanguageProfile(InputMethod::kTextServiceClsid, kHindi,
                                            InputMethod::kInputProcessorProfile, TRUE),
            S_OK);
  ComPtr<ITfCategoryMgr> categories;
  ASSERT_EQ(::CoCreateInstance(CLSID_TF_CategoryMgr, nullptr, CLSCTX_INPROC_SERVER,
                               IID_ITfCategoryMgr, reinterpret_cast<void**>(categories.Receive())),
            S_OK);
  ASSERT_EQ(categories->RegisterCategory(InputMethod::kTextServiceClsid, GUID_TFCAT_TIP_KEYBOARD,
                                         InputMethod::kTextServiceClsid),
            S_OK);
}

TEST(WineTextServicesTest, ThreadManagerActivatesTheRegisteredServiceThatSurvivesADocument) {
  ComApartment apartment;
  RegisterTextService();
  if (::testing::Test::HasFatalFailure()) return;

  ComPtr<ITfInputProcessorProfiles> profiles;
  ASSERT_EQ(::CoCreateInstance(CLSID_TF_InputProcessorProfiles, nullptr, CLSCTX_INPROC_SERVER,
                               IID_ITfInputProcessorProfiles,
                               reinterpret_cast<void**>(profiles.Receive())),
            S_OK);
  ComPtr<ITfThreadMgr> thread_manager;
  ASSERT_EQ(::CoCreateInstance(CLSID_TF_ThreadMgr, nullptr, CLSCTX_INPROC_SERVER,
                               IID_ITfThreadMgr,
                               reinterpret_cast<void**>(thread_manager.Receive())),
            S_OK);
  ASSERT_EQ(profiles->ActivateLanguageProfile(InputMethod::kTextServiceClsid, kHindi,
                                              InputMethod::kInputProcessorProfile),
            S_OK);
  TfClientId client = 0;
  ASSERT_EQ(thread_manager->Activate(&client), S_OK);
  // TSF loaded the module and made the service, which holds it.
  EXPECT_EQ(ModuleCanUnloadNow(), S_FALSE);

  {
    ComPtr<TextStore> store = MakeComObject<TextStore>();
    ComPtr<ITfDocumentMgr> document;
    ASSERT_EQ(thread_manager->CreateDocumentMgr(document.Receive()), S_OK);
    ComPtr<ITfContext> context;
    TfEditCookie cookie = 0;
    ASSERT_EQ(document->CreateContext(client, 0, static_cast<ITextStoreACP*>(store.Get()),
                                      context.Receive(), &cookie),
              S_OK);
    ASSERT_EQ(document->Push(context.Get()), S_OK);
    // The service binds to the focused document with a new engine (which
    // notes the time it became active for the user); Wine refuses its
    // layout sink, and the binding stops there.
    RegistryPlace user(HKEY_CURRENT_USER, ime_shared::kProductKeyPath);
    user.Delete(L"ActiveTime");
    EXPECT_EQ(thread_manager->SetFocus(document.Get()), S_OK);
    EXPECT_NE(user.GetDword(L"ActiveTime"), 0xDEADBEEFu) << "no engine was made";
    EXPECT_EQ(ModuleCanUnloadNow(), S_FALSE);
    EXPECT_EQ(thread_manager->SetFocus(nullptr), S_OK);
    document->Pop(TF_POPF_ALL);
  }

  EXPECT_EQ(thread_manager->Deactivate(), S_OK);
  EXPECT_EQ(ModuleCanUnloadNow(), S_OK);
}

}  // namespace
