// Pictures of what the virtual screen shows, for the programs that show the
// input method's windows.
#ifndef TOOLS_KEYSTROKES_SCREEN_CAPTURE_H_
#define TOOLS_KEYSTROKES_SCREEN_CAPTURE_H_

#include <windows.h>

#include <string>

namespace keystrokes {

// Copies |rect| (screen) from the screen and writes it to |path| as PNG
// with GDI+, which the caller has started. False on any failure.
bool SaveScreenRect(const RECT& rect, const std::wstring& path);

// The pictures a program writes into its output folder: the folder is made
// and GDI+ started for as long as this lives.
class ScreenPictures {
 public:
  explicit ScreenPictures(const std::wstring& folder);
  ScreenPictures(const ScreenPictures&) = delete;
  ScreenPictures& operator=(const ScreenPictures&) = delete;
  ~ScreenPictures();

  // False, with a line on stderr, when GDI+ did not start.
  bool Ready() const;

  // Writes |rect| of the screen as FOLDER\NAME.png, unless the window is
  // not |shown|, and prints the picture's line
  //   NAME: PATH WIDTHxHEIGHT|details|
  // with "(not saved)" for the path when nothing was written. Whether it
  // was.
  bool Save(const std::wstring& name, const RECT& rect, bool shown = true,
            const std::string& details = std::string()) const;

 private:
  std::wstring folder_;
  ULONG_PTR token_ = 0;
  bool started_ = false;
};

}  // namespace keystrokes

#endif  // TOOLS_KEYSTROKES_SCREEN_CAPTURE_H_
