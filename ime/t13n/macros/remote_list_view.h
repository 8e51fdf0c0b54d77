// Reading a list view of another process (the real Dorimond.exe) from a
// test or a tool: the list view's messages that carry a structure need it
// in the list's own address space, so it is copied there and back.
#ifndef IME_T13N_MACROS_REMOTE_LIST_VIEW_H_
#define IME_T13N_MACROS_REMOTE_LIST_VIEW_H_

#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace ime_t13n {
namespace testing_helpers {

class RemoteListView {
 public:
  explicit RemoteListView(HWND list) : list_(list) {
    DWORD process_id = 0;
    ::GetWindowThreadProcessId(list, &process_id);
    process_ = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                             process_id);
    if (process_ != nullptr) {
      memory_ = static_cast<char*>(::VirtualAllocEx(process_, nullptr, kBytes,
                                                    MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    }
  }
  ~RemoteListView() {
    if (memory_ != nullptr) ::VirtualFreeEx(process_, memory_, 0, MEM_RELEASE);
    if (process_ != nullptr) ::CloseHandle(process_);
  }
  RemoteListView(const RemoteListView&) = delete;
  RemoteListView& operator=(const RemoteListView&) = delete;

  bool ok() const { return memory_ != nullptr; }

  int RowCount() const {
    return static_cast<int>(::SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0));
  }

  std::wstring Text(int row, int column) const {
    if (!ok()) return std::wstring();
    LVITEMW item = {};
    item.iSubItem = column;
    item.cchTextMax = kTextUnits;
    item.pszText = reinterpret_cast<wchar_t*>(memory_ + kTextOffset);
    if (!Write(0, &item, sizeof(item))) return std::wstring();
    ::SendMessageW(list_, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(memory_));
    wchar_t text[kTextUnits] = {};
    if (!Read(kTextOffset, text, sizeof(text))) return std::wstring();
    text[kTextUnits - 1] = L'\0';
    return text;
  }

  std::vector<std::pair<std::wstring, std::wstring>> Rows() const {
    std::vector<std::pair<std::wstring, std::wstring>> rows;
    const int count = RowCount();
    for (int row = 0; row < count; ++row) rows.emplace_back(Text(row, 1), Text(row, 2));
    return rows;
  }

  // The cell's bounds in the list's client coordinates.
  RECT CellRect(int row, int column) const {
    RECT rect = {};
    rect.top = column;
    rect.left = LVIR_BOUNDS;
    if (!ok() || !Write(0, &rect, sizeof(rect))) return RECT{};
    ::SendMessageW(list_, LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(memory_));
    Read(0, &rect, sizeof(rect));
    rect.right = rect.left + static_cast<int>(::SendMessageW(list_, LVM_GETCOLUMNWIDTH, column, 0));
    return rect;
  }

 private:
  static constexpr int kTextUnits = 300;
  static constexpr size_t kTextOffset = 256;
  static constexpr size_t kBytes = 4096;

  bool Write(size_t offset, const void* data, size_t bytes) const {
    SIZE_T written = 0;
    return ::WriteProcessMemory(process_, memory_ + offset, data, bytes, &written) &&
           written == bytes;
  }
  bool Read(size_t offset, void* data, size_t bytes) const {
    SIZE_T read = 0;
    return ::ReadProcessMemory(process_, memory_ + offset, data, bytes, &read) && read == bytes;
  }

  HWND list_;
  HANDLE process_ = nullptr;
  char* memory_ = nullptr;
};

}  // namespace testing_helpers
}  // namespace ime_t13n

#endif  // IME_T13N_MACROS_REMOTE_LIST_VIEW_H_
