// The vignel store: where the vignel files lie, how the schedule and one
// vignel's description are read, and which vignel to show now. The vignel
// window owns one VignelStore, asks it to choose on each layout of the
// candidate window and has it read the description of the vignel it shows.
//
// Files (written outside the input method, only read here):
//   <user folder>\index.pb             the schedule (ime_vignel::VignelIndex)
//   <user folder>\<id>\info.pb         one vignel (ime_vignel::VignelInfo)
//   <user folder>\<id>\<vignel_image>  its image
// The user folder is "Vignels" in the per-user data folder. While it holds
// no schedule, the machine folder ("Vignels" in the folder named by
// "DataPath"), where the installation delivers the vignels, is copied to it.
//
// Every failure is silent (no message, no log line): a missing or unreadable
// schedule or description gives the default vignel (DefaultVignelId), and
// when that fails too nothing is shown.
#ifndef IME_SHARED_STORAGE_VIGNEL_STORE_H_
#define IME_SHARED_STORAGE_VIGNEL_STORE_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace ime_vignel {
class VignelIndex;
}  // namespace ime_vignel

namespace ime_shared {

class SettingsInterface;

extern const wchar_t kVignelFolderName[];     // "Vignels"
extern const wchar_t kVignelIndexFileName[];  // "index.pb"
extern const wchar_t kVignelInfoFileName[];   // "info.pb"

// The largest vignel file read. The files lie in a folder that every
// low-integrity process may write to, so a planted giant is not loaded into
// the host.
constexpr uint64_t kMaxVignelFileBytes = 1024 * 1024;

// What the store needs of the system. The product's environment is
// Product(); tests derive from the class to put the folders elsewhere, set
// the clock or watch the file operations.
class VignelEnvironment {
 public:
  virtual ~VignelEnvironment() = default;

  // "Vignels" in the per-user data folder; empty when that is unknown.
  virtual std::wstring UserFolder();
  // "Vignels" in the folder named by "DataPath": a bare "Vignels" when that
  // value is missing (which the store refuses to use).
  virtual std::wstring MachineFolder();
  // Seconds since 1970-01-01 00:00 UTC.
  virtual uint64_t Now();
  // Whether |path| is an existing file (not a folder).
  virtual bool FileExists(const std::wstring& path);
  // Copies the folder |from| with everything in it to the folder |to|, made
  // with its missing parents: one silent shell file operation that asks
  // nothing (SHFileOperationW, FOF_MULTIDESTFILES | FOF_SILENT |
  // FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR | FOF_NOERRORUI). True when the
  // operation reported success.
  virtual bool CopyFolder(const std::wstring& from, const std::wstring& to);
  // The whole file at |path|, opened for reading while others may read,
  // write or delete it. False when it cannot be opened or read, or holds
  // more than kMaxVignelFileBytes.
  virtual bool ReadFile(const std::wstring& path, std::string* bytes);

  // The product's environment; lives as long as the process.
  static VignelEnvironment* Product();
};

// Reads the schedule "index.pb" of the user folder into |index|, first
// copying the machine folder to the user folder when the user folder has no
// schedule. False, and nothing read or copied, when either folder is not a
// full path (an unknown per-user folder or a missing "DataPath"); false when
// the copy fails or the file cannot be read or is not a complete
// VignelIndex. On false |index| may hold part of the file.
bool LoadVignelIndex(VignelEnvironment* environment,
                     ime_vignel::VignelIndex* index);

// Reads "<user folder>\<id>\info.pb" (|id| in signed decimal). On success
// |display_name| and |search_text| get the description's texts (empty when
// absent) and |image_path| the full path of its image
// "<user folder>\<id>\<vignel_image>". False, with the outputs untouched,
// when the user folder is not a full path, the file cannot be read or is not
// a complete VignelInfo, or the image name could leave the vignel's folder
// (empty, or holding "\", "/", ":", ".." or a NUL): the names come from a
// folder that low-integrity processes can write, and the image path is
// handed to the image decoder of every host.
bool LoadVignelInfo(VignelEnvironment* environment, int id,
                    std::wstring* display_name, std::wstring* image_path,
                    std::wstring* search_text);

// The store of one vignel window: it holds the schedule for the window's
// life and reads it at most once, so that a window whose vignel files are
// missing (the usual case) costs one attempt and no file operation after it,
// however often it chooses. A new store (a new window) reads again, and so
// sees a schedule changed in between. Used on the window's thread only.
class VignelStore {
 public:
  // |settings| (DefaultVignelId; null: 0) and |environment| (null: the
  // product's) are not owned and must outlive the store.
  explicit VignelStore(const SettingsInterface* settings,
                       VignelEnvironment* environment = nullptr);
  ~VignelStore();
  VignelStore(const VignelStore&) = delete;
  VignelStore& operator=(const VignelStore&) = delete;

  // Chooses the vignel to show now and shows it through |show_vignel| (the
  // window's: true when it shows the vignel of that id; id 0 shows nothing
  // and answers true). The first call reads the schedule (LoadVignelIndex).
  // With a schedule, the first item in file order whose period holds now
  // (start_time <= now < start_time + duration) is shown when its id is not
  // 0; when that succeeds |is_default| is set to false and the answer is
  // true. Otherwise (no schedule, no item for now, an item with id 0, or an
  // item that cannot be shown) |is_default| is set to true and the answer
  // is that of showing DefaultVignelId. An exception from |show_vignel| is
  // taken as a failure.
  bool ChooseVignel(const std::function<bool(int id)>& show_vignel,
                    bool* is_default);

  // LoadVignelInfo in this store's environment.
  bool LoadVignelInfo(int id, std::wstring* display_name,
                      std::wstring* image_path, std::wstring* search_text);

  // Whether the schedule has been read successfully; index() is empty
  // until then.
  bool has_index() const { return index_read_; }
  const ime_vignel::VignelIndex& index() const { return *index_; }

 private:
  const SettingsInterface* settings_;
  VignelEnvironment* environment_;
  std::unique_ptr<ime_vignel::VignelIndex> index_;
  bool index_tried_ = false;
  bool index_read_ = false;
};

}  // namespace ime_shared

#endif  // IME_SHARED_STORAGE_VIGNEL_STORE_H_
