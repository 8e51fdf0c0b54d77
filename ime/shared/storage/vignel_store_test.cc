#include "ime/shared/storage/vignel_store.h"

#include <windows.h>
#include <shlobj.h>

#include <ctime>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/base/image32.h"
#include "ime/shared/product_folders.h"
#include "ime/shared/settings_table.h"
#include "ime/shared/storage/vignel_info.pb.h"
#include "ime/shared/storage/vignel_test_files.h"
#include "ime/shared/string_utils.h"
#include "ime/shared/testing/fake_settings.h"
#include "ime/shared/testing/temp_dir.h"

namespace ime_shared {
namespace {

using ime_testing::FakeSettings;
using ime_testing::TempDir;
using ime_testing::WriteFileBytes;

using TestEnvironment = testing_helpers::CountingVignelEnvironment;
using testing_helpers::WriteVignelIndex;

// A 2 x 2 32-bit bitmap file, which the image decoder reads.
std::string ImageBytes() { return testing_helpers::BitmapFileBytes(2, 2, 0x7F7F7F7F); }

// Vignel |id| in |folder|: its description naming |image| and, when
// |with_image|, the image itself.
void WriteVignel(const std::wstring& folder, uint32_t id,
                 const std::string& display_name, const std::string& image,
                 const std::string& search, bool with_image = true) {
  testing_helpers::WriteVignelInfo(folder, id, display_name, image, search);
  if (with_image) {
    ASSERT_TRUE(WriteFileBytes(folder + L"\\" + std::to_wstring(id) + L"\\" +
                                   Utf8ToWide(image),
                               ImageBytes()));
  }
}

// Plays the vignel window's part: a vignel is shown when its description
// reads and its image decodes; id 0 shows nothing and succeeds.
class WindowStandIn {
 public:
  WindowStandIn(const SettingsInterface* settings,
                VignelEnvironment* environment)
      : store_(settings, environment) {}

  // The id shown after a choice (0: none); the answer in |answer|.
  int Choose(bool* answer = nullptr) {
    shown_id_ = 0;
    const bool result = store_.ChooseVignel(
        [this](int id) { return Show(id); }, &is_default_);
    if (answer != nullptr) *answer = result;
    return shown_id_;
  }

  VignelStore& store() { return store_; }
  bool is_default() const { return is_default_; }
  const std::wstring& display_name() const { return display_name_; }
  const std::wstring& image_path() const { return image_path_; }
  const std::wstring& search_text() const { return search_text_; }

 private:
  bool Show(int id) {
    if (id == 0) return true;
    std::wstring name, path, search;
    base::Image32 image;
    if (!store_.LoadVignelInfo(id, &name, &path, &search) ||
        !image.Load(path)) {
      return false;
    }
    shown_id_ = id;
    display_name_ = name;
    image_path_ = path;
    search_text_ = search;
    return true;
  }

  VignelStore store_;
  int shown_id_ = 0;
  bool is_default_ = false;
  std::wstring display_name_, image_path_, search_text_;
};

// The schedule decides by the clock at each choice: a period holds its
// start and not its end, the earlier of two overlapping items wins, an item
// with id 0 or with a missing description or image gives way to the
// default vignel, and with DefaultVignelId 0 nothing is shown.
TEST(VignelStoreTest, ScheduleChoosesByTheClockAndFallsBackToTheDefault) {
  TempDir temp;
  const std::wstring user = temp.path() + L"user\\Vignels";
  WriteVignelIndex(user, {{5, 1000, 100},
                    {6, 1050, 100},   // overlaps 5, which comes first
                    {0, 2000, 100},   // "none" ends the search ...
                    {7, 2000, 100},   // ... before this complete vignel
                    {8, 3000, 100},   // no description
                    {9, 4000, 100}}); // no image
  WriteVignel(user, 5, "\xe0\xa4\xb9\xe0\xa4\xbf", "five.bmp",
              "\xe0\xa4\xaa\xe0\xa4\xbe\xe0\xa4\xa8\xe0\xa5\x80");
  WriteVignel(user, 6, "", "six.png", "");
  WriteVignel(user, 7, "Seven", "seven.bmp", "seven");
  WriteVignel(user, 9, "Nine", "nine.bmp", "nine", /*with_image=*/false);
  WriteVignel(user, 42, "Default", "default.bmp", "");
  FakeSettings settings;
  settings.SetInt(kSettingDefaultVignelId, 42);
  TestEnvironment environment(user, temp.path() + L"machine\\Vignels");
  WindowStandIn window(&settings, &environment);

  struct Case {
    uint64_t now;
    int shown;
    bool is_default;
  };
  const Case cases[] = {{999, 42, true},  {1000, 5, false}, {1050, 5, false},
                        {1099, 5, false}, {1100, 6, false}, {1149, 6, false},
                        {1150, 42, true}, {2000, 42, true}, {3050, 42, true},
                        {4000, 42, true}, {1000, 5, false}};
  for (const Case& c : cases) {
    environment.now = c.now;
    bool answer = false;
    EXPECT_EQ(window.Choose(&answer), c.shown) << "at " << c.now;
    EXPECT_TRUE(answer) << "at " << c.now;
    EXPECT_EQ(window.is_default(), c.is_default) << "at " << c.now;
  }
  EXPECT_TRUE(window.store().has_index());
  EXPECT_EQ(window.store().index().vignelitem_size(), 6);

  // The last choice showed vignel 5 with its texts.
  EXPECT_EQ(window.display_name(), L"\u0939\u093f");
  EXPECT_EQ(window.search_text(), L"\u092a\u093e\u0928\u0940");
  EXPECT_EQ(window.image_path(), user + L"\\5\\five.bmp");
  // A description without its optional texts gives empty ones.
  std::wstring name = L"x", path, search = L"x";
  ASSERT_TRUE(window.store().LoadVignelInfo(6, &name, &path, &search));
  EXPECT_EQ(name, L"");
  EXPECT_EQ(search, L"");
  EXPECT_EQ(path, user + L"\\6\\six.png");

  // DefaultVignelId 0 outside every period: nothing shown, still a success.
  settings.SetInt(kSettingDefaultVignelId, 0);
  environment.now = 999;
  bool answer = false;
  EXPECT_EQ(window.Choose(&answer), 0);
  EXPECT_TRUE(answer);
  EXPECT_TRUE(window.is_default());
  // A default that cannot be shown fails the choice.
  settings.SetInt(kSettingDefaultVignelId, 8);
  EXPECT_EQ(window.Choose(&answer), 0);
  EXPECT_FALSE(answer);
  EXPECT_TRUE(window.is_default());
}

// The installation delivers the vignels to the machine folder; the first
// choice copies them to the per-user folder (made with its parents) and
// reads them there. A window keeps the schedule it read; only a new one
// sees a changed schedule, without copying again.
TEST(VignelStoreTest, MachineFolderIsCopiedAtTheFirstChoiceThenRead) {
  TempDir temp;
  const std::wstring machine = temp.path() + L"data\\Vignels";
  const std::wstring user = temp.path() + L"profile\\Tarvel\\Vignels";
  WriteVignelIndex(machine, {{5, 1000, 100}});
  WriteVignel(machine, 5, "Five", "five.bmp", "five");
  WriteVignel(machine, 6, "Six", "six.bmp", "six");
  FakeSettings settings;
  TestEnvironment environment(user, machine);
  environment.now = 1010;
  WindowStandIn window(&settings, &environment);

  EXPECT_EQ(window.Choose(), 5);
  EXPECT_EQ(environment.copies, 1);
  EXPECT_EQ(window.image_path(), user + L"\\5\\five.bmp");
  EXPECT_TRUE(VignelEnvironment().FileExists(user + L"\\index.pb"));
  EXPECT_TRUE(VignelEnvironment().FileExists(user + L"\\6\\six.bmp"));

  // The user's schedule changes while the window exists.
  WriteVignelIndex(user, {{6, 1000, 100}});
  EXPECT_EQ(window.Choose(), 5);
  TestEnvironment next_environment(user, machine);
  next_environment.now = 1010;
  WindowStandIn next_window(&settings, &next_environment);
  EXPECT_EQ(next_window.Choose(), 6);
  EXPECT_EQ(next_environment.copies, 0);
  EXPECT_EQ(next_window.display_name(), L"Six");

  // A user folder that exists without an index receives the machine
  // folder's contents, not a copy of the folder inside it.
  const std::wstring existing = temp.path() + L"other\\Vignels";
  ASSERT_EQ(::SHCreateDirectoryExW(nullptr, existing.c_str(), nullptr),
            ERROR_SUCCESS);
  TestEnvironment third_environment(existing, machine);
  third_environment.now = 1010;
  WindowStandIn third_window(&settings, &third_environment);
  EXPECT_EQ(third_window.Choose(), 5);
  EXPECT_TRUE(VignelEnvironment().FileExists(existing + L"\\index.pb"));
  EXPECT_FALSE(VignelEnvironment().FileExists(existing + L"\\Vignels\\index.pb"));
}

// A window without vignel files anywhere (the usual case) makes one attempt
// and then no file operation, however many keystrokes lay out the candidate
// window; a new window tries once more. Folders that are not full paths (no
// "DataPath": a bare "Vignels"; no per-user folder) are never used, so
// nothing is copied or read relative to the host's folders.
TEST(VignelStoreTest, WithoutFilesOneAttemptServesEveryChoice) {
  TempDir temp;
  const std::wstring user = temp.path() + L"profile\\Vignels";
  FakeSettings settings;
  TestEnvironment environment(user, temp.path() + L"data\\Vignels");
  environment.now = 1000;
  {
    WindowStandIn window(&settings, &environment);
    for (int keystroke = 0; keystroke < 1000; ++keystroke) {
      bool answer = false;
      ASSERT_EQ(window.Choose(&answer), 0);
      ASSERT_TRUE(answer);
      ASSERT_TRUE(window.is_default());
      if (keystroke == 0) {
        EXPECT_EQ(environment.existence_checks, 1);
        EXPECT_EQ(environment.copies, 1);
      }
    }
    EXPECT_FALSE(window.store().has_index());
  }
  // The index check and the failed copy, nothing else; no user folder made.
  EXPECT_EQ(environment.FileOperations(), 2);
  EXPECT_EQ(::GetFileAttributesW(user.c_str()), INVALID_FILE_ATTRIBUTES);
  WindowStandIn next_window(&settings, &environment);
  next_window.Choose();
  next_window.Choose();
  EXPECT_EQ(environment.FileOperations(), 4);

  // Vignels in the host's current folder and at its drive root must not be
  // found through a missing "DataPath" or per-user folder.
  WriteVignelIndex(temp.path() + L"Vignels", {{5, 0, 5000}});
  WriteVignel(temp.path() + L"Vignels", 5, "Five", "five.bmp", "");
  wchar_t previous_folder[MAX_PATH] = {};
  ASSERT_GT(::GetCurrentDirectoryW(MAX_PATH, previous_folder), 0u);
  ASSERT_TRUE(::SetCurrentDirectoryW(temp.path().c_str()));
  const std::wstring user_folders[] = {L"", L"Vignels", L"\\Vignels", user};
  for (const std::wstring& user_folder : user_folders) {
    TestEnvironment unplaced(user_folder, L"Vignels");
    unplaced.now = 1000;
    WindowStandIn window(&settings, &unplaced);
    EXPECT_EQ(window.Choose(), 0) << user_folder;
    EXPECT_EQ(unplaced.copies + unplaced.reads, 0) << user_folder;
    std::wstring name, path, search;
    EXPECT_FALSE(window.store().LoadVignelInfo(5, &name, &path, &search));
  }
  ::SetCurrentDirectoryW(previous_folder);
}

// Files are unreadable when a required field is missing, when they are too
// large, or when the image name could leave the vignel's folder; a refused
// description leaves the outputs as they were and the default is shown.
TEST(VignelStoreTest, IncompleteOversizedAndEscapingFilesAreRefused) {
  TempDir temp;
  const std::wstring user = temp.path() + L"Vignels";
  WriteVignel(user, 42, "Default", "default.bmp", "");
  WriteVignel(user, 5, "Good", "good.bmp", "");
  // A decodable image one folder up, where "..\x.bmp" would lead.
  ASSERT_TRUE(WriteFileBytes(user + L"\\x.bmp", ImageBytes()));
  FakeSettings settings;
  settings.SetInt(kSettingDefaultVignelId, 42);
  TestEnvironment environment(user, temp.path() + L"data\\Vignels");
  environment.now = 1000;
  VignelStore store(&settings, &environment);

  const char* const escaping_names[] = {"..\\x.bmp", "../x.bmp", "a\\x.bmp",
                                        "a/x.bmp",   "C:x.bmp",  "x..bmp",
                                        ""};
  uint32_t id = 100;
  for (const char* image : escaping_names) {
    WriteVignel(user, id, "Escape", image, "", /*with_image=*/false);
    std::wstring name = L"name", path = L"path", search = L"search";
    EXPECT_FALSE(store.LoadVignelInfo(id, &name, &path, &search)) << image;
    EXPECT_EQ(name + path + search, L"namepathsearch") << image;
    ++id;
  }
  std::wstring name, path, search;

  // A description without its image name, and one beyond the size limit.
  ime_vignel::VignelInfo incomplete;
  incomplete.set_id(7);
  incomplete.set_display_name("Seven");
  ASSERT_TRUE(CreateFolderTree(user + L"\\7"));
  ASSERT_TRUE(WriteFileBytes(user + L"\\7\\info.pb",
                             incomplete.SerializePartialAsString()));
  EXPECT_FALSE(store.LoadVignelInfo(7, &name, &path, &search));
  ime_vignel::VignelInfo oversized;
  oversized.set_id(8);
  oversized.set_vignel_image("eight.bmp");
  oversized.set_display_name(std::string(kMaxVignelFileBytes, 'a'));
  ASSERT_TRUE(CreateFolderTree(user + L"\\8"));
  ASSERT_TRUE(WriteFileBytes(user + L"\\8\\info.pb",
                             oversized.SerializeAsString()));
  ASSERT_TRUE(WriteFileBytes(user + L"\\8\\eight.bmp", ImageBytes()));
  EXPECT_FALSE(store.LoadVignelInfo(8, &name, &path, &search));
  EXPECT_TRUE(store.LoadVignelInfo(5, &name, &path, &search));
  EXPECT_EQ(path, user + L"\\5\\good.bmp");

  // A scheduled escaping vignel gives way to the default.
  WriteVignelIndex(user, {{100, 0, 5000}});
  {
    WindowStandIn window(&settings, &environment);
    EXPECT_EQ(window.Choose(), 42);
    EXPECT_TRUE(window.is_default());
  }

  // A schedule without its required "base_url" is unreadable as a whole,
  // although its item is complete.
  ime_vignel::VignelIndex index;
  index.set_last_modified_time(1);
  auto* item = index.add_vignelitem();
  item->set_id(5);
  item->set_start_time(0);
  item->set_duration(5000);
  item->set_checksum("0");
  ASSERT_TRUE(
      WriteFileBytes(user + L"\\index.pb", index.SerializePartialAsString()));
  {
    WindowStandIn window(&settings, &environment);
    EXPECT_EQ(window.Choose(), 42);
    EXPECT_FALSE(window.store().has_index());
    EXPECT_EQ(window.store().index().vignelitem_size(), 0);
  }
  // Bytes that are no message at all.
  ASSERT_TRUE(WriteFileBytes(user + L"\\index.pb", "\xff\xff\xff\xff"));
  WindowStandIn window(&settings, &environment);
  EXPECT_EQ(window.Choose(), 42);
  EXPECT_FALSE(window.store().has_index());
}

// The product's clock counts seconds since 1970-01-01 UTC, the unit of the
// schedule's times.
TEST(VignelStoreTest, ProductClockCountsSecondsSince1970) {
  const uint64_t before = static_cast<uint64_t>(std::time(nullptr));
  const uint64_t now = VignelEnvironment::Product()->Now();
  const uint64_t after = static_cast<uint64_t>(std::time(nullptr));
  EXPECT_GE(now, before);
  EXPECT_LE(now, after);
}

}  // namespace
}  // namespace ime_shared
