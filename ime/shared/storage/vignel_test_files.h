// Helpers of the tests that read vignel files: an environment over the
// test's folders and clock that counts the file operations it passes on,
// and writers of the schedule, the descriptions and the bitmap images.
#ifndef IME_SHARED_STORAGE_VIGNEL_TEST_FILES_H_
#define IME_SHARED_STORAGE_VIGNEL_TEST_FILES_H_

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/product_folders.h"
#include "ime/shared/storage/vignel_info.pb.h"
#include "ime/shared/storage/vignel_store.h"
#include "ime/shared/testing/temp_dir.h"

namespace ime_shared {
namespace testing_helpers {

// The product's environment with the folders and the clock of the test,
// counting the file operations it passes on to the real ones.
class CountingVignelEnvironment : public VignelEnvironment {
 public:
  CountingVignelEnvironment(const std::wstring& user_folder, const std::wstring& machine_folder)
      : user_folder_(user_folder), machine_folder_(machine_folder) {}

  std::wstring UserFolder() override { return user_folder_; }
  std::wstring MachineFolder() override { return machine_folder_; }
  uint64_t Now() override { return now; }
  bool FileExists(const std::wstring& path) override {
    ++existence_checks;
    return VignelEnvironment::FileExists(path);
  }
  bool CopyFolder(const std::wstring& from, const std::wstring& to) override {
    ++copies;
    return VignelEnvironment::CopyFolder(from, to);
  }
  bool ReadFile(const std::wstring& path, std::string* bytes) override {
    ++reads;
    read_paths.push_back(path);
    return VignelEnvironment::ReadFile(path, bytes);
  }

  const std::wstring& user_folder() const { return user_folder_; }
  int FileOperations() const { return existence_checks + copies + reads; }
  // How often the description "info.pb" of vignel |id| was read (its image
  // is decoded by the image library, not read here).
  int InfoReads(uint32_t id) const {
    const std::wstring path = user_folder_ + L"\\" + std::to_wstring(id) + L"\\info.pb";
    int count = 0;
    for (const std::wstring& read : read_paths) count += read == path ? 1 : 0;
    return count;
  }

  uint64_t now = 0;
  int existence_checks = 0;
  int copies = 0;
  int reads = 0;
  // The paths read, in order.
  std::vector<std::wstring> read_paths;

 private:
  std::wstring user_folder_;
  std::wstring machine_folder_;
};

// One item of a schedule: vignel |id| from |start_time| for |duration|
// seconds.
struct VignelItem {
  uint32_t id;
  uint64_t start_time;
  uint64_t duration;
};

// The bytes of a complete schedule of |items|.
inline std::string VignelIndexBytes(const std::vector<VignelItem>& items) {
  ime_vignel::VignelIndex index;
  index.set_last_modified_time(1);
  index.set_base_url("http://vignels.example/");
  for (const VignelItem& item : items) {
    auto* entry = index.add_vignelitem();
    entry->set_id(item.id);
    entry->set_start_time(item.start_time);
    entry->set_duration(item.duration);
    entry->set_checksum("0");
  }
  return index.SerializeAsString();
}

// The schedule "index.pb" of |items| in |folder|, made with its parents.
inline void WriteVignelIndex(const std::wstring& folder, const std::vector<VignelItem>& items) {
  ASSERT_TRUE(CreateFolderTree(folder));
  ASSERT_TRUE(ime_testing::WriteFileBytes(folder + L"\\index.pb", VignelIndexBytes(items)));
}

// The description "info.pb" of vignel |id| in its folder below |folder|,
// naming |image|; empty texts are left out.
inline void WriteVignelInfo(const std::wstring& folder, uint32_t id,
                            const std::string& display_name, const std::string& image,
                            const std::string& search) {
  const std::wstring vignel_folder = folder + L"\\" + std::to_wstring(id);
  ASSERT_TRUE(CreateFolderTree(vignel_folder));
  ime_vignel::VignelInfo info;
  info.set_id(id);
  if (!display_name.empty()) info.set_display_name(display_name);
  info.set_vignel_image(image);
  if (!search.empty()) info.set_search_string(search);
  ASSERT_TRUE(
      ime_testing::WriteFileBytes(vignel_folder + L"\\info.pb", info.SerializeAsString()));
}

// A 32-bit bitmap file of |width| x |height| pixels, each 0xAARRGGBB |argb|.
inline std::string BitmapFileBytes(int width, int height, uint32_t argb) {
  BITMAPFILEHEADER file = {};
  BITMAPINFOHEADER info = {};
  const DWORD pixel_bytes = static_cast<DWORD>(width * height * 4);
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof(file) + sizeof(info);
  file.bfSize = file.bfOffBits + pixel_bytes;
  info.biSize = sizeof(info);
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 32;
  info.biCompression = BI_RGB;
  std::string bytes(reinterpret_cast<const char*>(&file), sizeof(file));
  bytes.append(reinterpret_cast<const char*>(&info), sizeof(info));
  const char pixel[4] = {static_cast<char>(argb & 255), static_cast<char>((argb >> 8) & 255),
                         static_cast<char>((argb >> 16) & 255),
                         static_cast<char>((argb >> 24) & 255)};
  for (int i = 0; i < width * height; ++i) bytes.append(pixel, 4);
  return bytes;
}

}  // namespace testing_helpers
}  // namespace ime_shared

#endif  // IME_SHARED_STORAGE_VIGNEL_TEST_FILES_H_
