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

}  // namespace keystrokes

#endif  // TOOLS_KEYSTROKES_SCREEN_CAPTURE_H_
