#include "ime/shared/tsf/candidate_ui_element.h"

#include <memory>

#include "gtest/gtest.h"
#include "ime/shared/base/com_bstr.h"
#include "ime/shared/tsf/testing/fake_context.h"
#include "ime/shared/tsf/testing/fake_thread_manager.h"
#include "ime/shared/tsf/testing/module_lock_scope.h"
#include "ime/shared/tsf/testing/recording_engine.h"

namespace ime_shared {
namespace tsf {
namespace {

using base::ComPtr;
using base::MakeComObject;
using base::ScopedBstr;
using ime_tsf_testing::FakeDocumentMgr;
using ime_tsf_testing::FakeThreadMgr;
using ime_tsf_testing::RecordingEngine;

BSTR FailingAllocator(const OLECHAR* text, UINT length) { return nullptr; }

class CandidateUIElementTest : public ::testing::Test {
 protected:
  CandidateUIElementTest() {
    thread_manager_ = MakeComObject<FakeThreadMgr>();
    document_ = MakeComObject<FakeDocumentMgr>();
    thread_manager_->SetFocus(document_.Get());
  }
  ~CandidateUIElementTest() override {
    manager_.reset();
    thread_manager_.Reset();
    document_.Reset();
    // Every object the test made is gone: nothing holds the module.
    EXPECT_EQ(module_lock_.count(), 0);
  }

  void Bind() { manager_ = std::make_unique<CandidateUIManager>(thread_manager_.Get(), &engine_); }

  // Sets the candidates of the page and tells the manager, as the context
  // does for a candidate change.
  void Show(std::vector<std::wstring> candidates) {
    engine_.candidates = std::move(candidates);
    manager_->Update();
  }

  int Begins() const { return static_cast<int>(thread_manager_->elements().size()); }

  ime_tsf_testing::ModuleLockScope module_lock_;
  ComPtr<FakeThreadMgr> thread_manager_;
  ComPtr<FakeDocumentMgr> document_;
  RecordingEngine engine_;
  std::unique_ptr<CandidateUIManager> manager_;
};

TEST_F(CandidateUIElementTest, HostThatDrawsGetsOneBeginAnUpdatePerChangeAndAnEnd) {
  thread_manager_->begin_show = FALSE;
  Bind();
  Show({});
  EXPECT_EQ(Begins(), 0);
  EXPECT_EQ(manager_->state(), CandidateUIManager::kIdle);

  Show({L"नमस्ते", L"नमसते", L"namaste"});
  ASSERT_EQ(Begins(), 1);
  EXPECT_EQ(manager_->state(), CandidateUIManager::kHostDraws);
  EXPECT_FALSE(manager_->DrawsOwnWindow());
  const FakeThreadMgr::ElementRecord& record = thread_manager_->elements()[0];
  EXPECT_EQ(record.updates, 1);
  ASSERT_EQ(record.flags_read.size(), 1u);
  EXPECT_EQ(record.flags_read[0], 0x3Fu);

  // The host reads the list through the element.
  ComPtr<ITfCandidateListUIElement> element;
  ASSERT_EQ(element.QueryFrom(record.element.Get()), S_OK);
  UINT count = 0;
  ASSERT_EQ(element->GetCount(&count), S_OK);
  EXPECT_EQ(count, 3u);
  ScopedBstr text;
  ASSERT_EQ(element->GetString(0, text.Receive()), S_OK);
  EXPECT_EQ(text.ToString(), L"नमस्ते");
  engine_.selection = 2;
  UINT selection = 0;
  ASSERT_EQ(element->GetSelection(&selection), S_OK);
  EXPECT_EQ(selection, 2u);
  ComPtr<ITfDocumentMgr> document;
  ASSERT_EQ(element->GetDocumentMgr(document.Receive()), S_OK);
  EXPECT_EQ(document.Get(), static_cast<ITfDocumentMgr*>(document_.Get()));
  BOOL shown = TRUE;
  ASSERT_EQ(element->IsShown(&shown), S_OK);
  EXPECT_FALSE(shown);  // the host draws it
  DWORD flags = 1;
  ASSERT_EQ(element->GetUpdatedFlags(&flags), S_OK);
  EXPECT_EQ(flags, 0u);  // read at the update already

  // Each change is one more update of the same element.
  Show({L"नमस्ते", L"नमसते"});
  Show({L"नमस्ते"});
  EXPECT_EQ(Begins(), 1);
  EXPECT_EQ(thread_manager_->elements()[0].updates, 3);
  EXPECT_FALSE(thread_manager_->elements()[0].ended);

  // The list empties: the element ends.
  Show({});
  EXPECT_TRUE(thread_manager_->elements()[0].ended);
  EXPECT_EQ(manager_->state(), CandidateUIManager::kIdle);
  EXPECT_EQ(Begins(), 1);

  // The next word begins it again.
  Show({L"क"});
  EXPECT_EQ(Begins(), 2);
  EXPECT_EQ(thread_manager_->LiveElements(), 1);
  EXPECT_EQ(manager_->state(), CandidateUIManager::kHostDraws);
}

TEST_F(CandidateUIElementTest, HostThatLeavesTheDrawingToUsGetsOurOwnWindow) {
  thread_manager_->begin_show = TRUE;
  Bind();
  Show({L"नमस्ते", L"नमसते"});
  ASSERT_EQ(Begins(), 1);
  EXPECT_EQ(manager_->state(), CandidateUIManager::kOwnWindow);
  EXPECT_TRUE(manager_->DrawsOwnWindow());
  EXPECT_EQ(thread_manager_->elements()[0].updates, 0);
  BOOL shown = FALSE;
  ASSERT_EQ(manager_->element()->IsShown(&shown), S_OK);
  EXPECT_TRUE(shown);

  // Changes keep our window; the element is not updated.
  Show({L"नमस्ते"});
  EXPECT_TRUE(manager_->DrawsOwnWindow());
  EXPECT_EQ(thread_manager_->elements()[0].updates, 0);

  Show({});
  EXPECT_FALSE(manager_->DrawsOwnWindow());
  EXPECT_TRUE(thread_manager_->elements()[0].ended);
  EXPECT_EQ(manager_->state(), CandidateUIManager::kIdle);
}

TEST_F(CandidateUIElementTest, WithoutAUIElementManagerOrABeginOurWindowShows) {
  thread_manager_->has_ui_element_manager = false;
  Bind();
  EXPECT_FALSE(manager_->element()->HasManager());
  Show({L"नमस्ते"});
  EXPECT_TRUE(manager_->DrawsOwnWindow());
  Show({});
  EXPECT_FALSE(manager_->DrawsOwnWindow());
  EXPECT_EQ(Begins(), 0);

  // A host that refuses the begin.
  thread_manager_->has_ui_element_manager = true;
  thread_manager_->begin_result = E_FAIL;
  Bind();
  Show({L"नमस्ते"});
  EXPECT_TRUE(manager_->DrawsOwnWindow());
  EXPECT_FALSE(manager_->element()->IsBegun());
  Show({});
  EXPECT_EQ(manager_->state(), CandidateUIManager::kIdle);
}

TEST_F(CandidateUIElementTest, PageIndexesDescribeTheOnePage) {
  Bind();
  Show({L"a", L"b", L"c"});
  ExternalCandidateUI* element = manager_->element();

  UINT page_count = 0;
  ASSERT_EQ(element->GetPageIndex(nullptr, 0, &page_count), S_OK);
  EXPECT_EQ(page_count, 1u);

  // One entry, as a host allocates for one page: the page starts at 0.
  UINT one[2] = {99, 99};
  ASSERT_EQ(element->GetPageIndex(one, 1, &page_count), S_OK);
  EXPECT_EQ(one[0], 0u);
  EXPECT_EQ(one[1], 99u);  // beyond the given size: untouched

  UINT two[2] = {99, 99};
  ASSERT_EQ(element->GetPageIndex(two, 2, &page_count), S_OK);
  EXPECT_EQ(two[0], 0u);
  EXPECT_EQ(two[1], 3u);
  EXPECT_EQ(element->GetPageIndex(two, 2, nullptr), E_INVALIDARG);

  UINT page = 5;
  ASSERT_EQ(element->GetCurrentPage(&page), S_OK);
  EXPECT_EQ(page, 0u);

  // Setting pages: one page changes nothing; a second page resizes ours.
  UINT pages[2] = {0, 2};
  EXPECT_EQ(element->SetPageIndex(nullptr, 2), E_INVALIDARG);
  EXPECT_EQ(element->SetPageIndex(pages, 0), E_INVALIDARG);
  EXPECT_EQ(element->SetPageIndex(pages, 1), S_OK);
  EXPECT_TRUE(engine_.page_sizes.empty());
  EXPECT_EQ(element->SetPageIndex(pages, 2), S_OK);
  EXPECT_EQ(engine_.page_sizes, std::vector<int32_t>({2}));
}

TEST_F(CandidateUIElementTest, StringsOnlyForIndexesOnThePage) {
  Bind();
  Show({L"a", L"b"});
  ExternalCandidateUI* element = manager_->element();
  ScopedBstr text;
  ASSERT_EQ(element->GetString(1, text.Receive()), S_OK);
  EXPECT_EQ(text.ToString(), L"b");
  const int reads = engine_.candidate_reads;
  BSTR out = reinterpret_cast<BSTR>(1);
  EXPECT_EQ(element->GetString(2, &out), E_INVALIDARG);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(element->GetString(0xFFFFFFFFu, &out), E_INVALIDARG);
  EXPECT_EQ(element->GetString(0, nullptr), E_INVALIDARG);
  EXPECT_EQ(engine_.candidate_reads, reads);  // the engine was not asked

  // After a commit the engine has no list: nothing can be read.
  engine_.candidates.clear();
  EXPECT_EQ(element->GetString(0, &out), E_INVALIDARG);

  // The strings cannot be allocated.
  engine_.candidates = {L"a"};
  base::BstrAllocator allocator = base::SetBstrAllocator(&FailingAllocator);
  EXPECT_EQ(element->GetString(0, &out), E_FAIL);
  EXPECT_EQ(element->GetDescription(&out), E_FAIL);
  base::SetBstrAllocator(allocator);
}

TEST_F(CandidateUIElementTest, DescribesItselfAndPassesChoicesToTheEngine) {
  Bind();
  ExternalCandidateUI* element = manager_->element();
  ScopedBstr description;
  ASSERT_EQ(element->GetDescription(description.Receive()), S_OK);
  EXPECT_EQ(description.ToString(), L"ExternalCandidateUI");
  GUID guid = {};
  ASSERT_EQ(element->GetGUID(&guid), S_OK);
  GUID expected = {};
  ASSERT_EQ(::IIDFromString(L"{6528723D-B088-3C49-A9CE-187A458E0A7A}", &expected), S_OK);
  EXPECT_EQ(guid, expected);
  EXPECT_EQ(element->Show(TRUE), E_NOTIMPL);
  EXPECT_EQ(element->GetGUID(nullptr), E_INVALIDARG);
  EXPECT_EQ(element->GetCount(nullptr), E_INVALIDARG);
  EXPECT_EQ(element->IsShown(nullptr), E_INVALIDARG);
  EXPECT_EQ(element->GetUpdatedFlags(nullptr), E_INVALIDARG);
  EXPECT_EQ(element->GetDocumentMgr(nullptr), E_INVALIDARG);

  // Answered through every interface of the element.
  ComPtr<ITfUIElement> ui_element;
  ComPtr<ITfCandidateListUIElementBehavior> behavior;
  ASSERT_EQ(ui_element.QueryFrom(static_cast<ITfUIElement*>(element)), S_OK);
  ASSERT_EQ(behavior.QueryFrom(ui_element.Get()), S_OK);

  EXPECT_EQ(behavior->SetSelection(2), S_OK);
  ASSERT_EQ(engine_.selections.size(), 1u);
  EXPECT_EQ(engine_.selections[0], std::make_pair(2, 0));  // moved, not committed
  EXPECT_EQ(behavior->Finalize(), S_OK);
  EXPECT_EQ(behavior->Abort(), S_OK);
  EXPECT_EQ(engine_.endings, std::vector<bool>({true, false}));
}

TEST_F(CandidateUIElementTest, AFocusChangeDuringCandidatesEndsTheElement) {
  thread_manager_->begin_show = FALSE;
  Bind();
  Show({L"नमस्ते", L"नमसते"});
  ASSERT_EQ(thread_manager_->LiveElements(), 1);

  // The host still holds the element when the binding goes.
  ComPtr<ITfCandidateListUIElement> held;
  ASSERT_EQ(held.QueryFrom(thread_manager_->elements()[0].element.Get()), S_OK);
  manager_.reset();
  EXPECT_EQ(thread_manager_->LiveElements(), 0);
  EXPECT_TRUE(thread_manager_->elements()[0].ended);

  // What it reads afterwards comes from no engine.
  UINT count = 9;
  ASSERT_EQ(held->GetCount(&count), S_OK);
  EXPECT_EQ(count, 0u);
  BSTR text = nullptr;
  EXPECT_EQ(held->GetString(0, &text), E_INVALIDARG);
  ComPtr<ITfDocumentMgr> document;
  ASSERT_EQ(held->GetDocumentMgr(document.Receive()), S_OK);
  EXPECT_FALSE(document);
  ComPtr<ITfCandidateListUIElementBehavior> behavior;
  ASSERT_EQ(behavior.QueryFrom(held.Get()), S_OK);
  EXPECT_EQ(behavior->Finalize(), S_OK);
  EXPECT_TRUE(engine_.endings.empty());
}

// Wine's own thread manager draws no UI elements: the list goes to our own
// window, and nothing is left begun.
TEST(CandidateUIElementWineTest, TheSystemThreadManagerLeavesTheListToUs) {
  ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
  {
    ComPtr<ITfThreadMgr> thread_manager;
    ASSERT_EQ(::CoCreateInstance(CLSID_TF_ThreadMgr, nullptr, CLSCTX_INPROC_SERVER,
                                 IID_ITfThreadMgr,
                                 reinterpret_cast<void**>(thread_manager.Receive())),
              S_OK);
    TfClientId client_id = 0;
    ASSERT_EQ(thread_manager->Activate(&client_id), S_OK);
    RecordingEngine engine;
    {
      CandidateUIManager manager(thread_manager.Get(), &engine);
      engine.candidates = {L"नमस्ते"};
      manager.Update();
      EXPECT_TRUE(manager.DrawsOwnWindow());
      engine.candidates.clear();
      manager.Update();
      EXPECT_EQ(manager.state(), CandidateUIManager::kIdle);
    }
    thread_manager->Deactivate();
  }
  ::CoUninitialize();
}

}  // namespace
}  // namespace tsf
}  // namespace ime_shared
