// A vignel for the programs that show the windows: a schedule that shows
// one vignel now, its description and a badge image, written into a folder
// of the program's own, and the vignel environment that reads them from
// there (counting every file operation) instead of from the user's folders.
#ifndef TOOLS_KEYSTROKES_SAMPLE_VIGNEL_H_
#define TOOLS_KEYSTROKES_SAMPLE_VIGNEL_H_

#include <string>

#include "ime/shared/storage/vignel_store.h"

namespace keystrokes {

// The vignel the sample schedules.
constexpr int kSampleVignelId = 1001;

class SampleVignelEnvironment : public ime_shared::VignelEnvironment {
 public:
  // Vignels in |folder| (a full path), as the user's folder; no machine
  // folder.
  explicit SampleVignelEnvironment(const std::wstring& folder) : folder_(folder) {}

  std::wstring UserFolder() override { return folder_; }
  std::wstring MachineFolder() override { return std::wstring(); }
  bool FileExists(const std::wstring& path) override;
  bool CopyFolder(const std::wstring& from, const std::wstring& to) override;
  bool ReadFile(const std::wstring& path, std::string* bytes) override;

  // The file operations the vignel store asked for so far.
  int file_operations() const { return file_operations_; }

 private:
  std::wstring folder_;
  int file_operations_ = 0;
};

// Writes the schedule (vignel kSampleVignelId from an hour ago for a day),
// the vignel's description ("Festival of lights", searching "diwali") and
// its badge, a 150 x 40 image, into |folder|. False when a file cannot be
// written.
bool WriteSampleVignel(const std::wstring& folder);

}  // namespace keystrokes

#endif  // TOOLS_KEYSTROKES_SAMPLE_VIGNEL_H_
