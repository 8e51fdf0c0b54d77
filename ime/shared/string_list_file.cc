#include "ime/shared/string_list_file.h"

#include <zlib.h>

#include <cstring>
#include <iterator>

#include "ime/shared/base/process_exit.h"
#include "ime/shared/base/scoped_handle.h"
#include "ime/shared/mapped_file.h"

namespace ime_shared {

namespace {

constexpr uint32_t kBodyOffset = kStringListHeaderSize;
constexpr int32_t kBlockHeaderSize = 8;
constexpr int32_t kRecordHeaderSize = 4;

uint32_t Adler32(const uint8_t* data, size_t length) {
  return static_cast<uint32_t>(
      adler32(adler32(0L, Z_NULL, 0), data, static_cast<uInt>(length)));
}

uint32_t LoadU32(const uint8_t* at) {
  return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
         static_cast<uint32_t>(at[2]) << 16 | static_cast<uint32_t>(at[3]) << 24;
}

int32_t LoadI32(const uint8_t* at) { return static_cast<int32_t>(LoadU32(at)); }

void StoreU32(uint32_t value, uint8_t* at) {
  at[0] = static_cast<uint8_t>(value);
  at[1] = static_cast<uint8_t>(value >> 8);
  at[2] = static_cast<uint8_t>(value >> 16);
  at[3] = static_cast<uint8_t>(value >> 24);
}

void AppendU32(uint32_t value, std::string* out) {
  uint8_t bytes[4];
  StoreU32(value, bytes);
  out->append(reinterpret_cast<const char*>(bytes), sizeof(bytes));
}

// Decodes the list from the file's bytes into |entries|; false at the first
// inconsistency. |size| has already been checked against the size limit.
bool ParseStringList(const uint8_t* data, int64_t size,
                     std::vector<std::wstring>* entries) {
  if (size < static_cast<int64_t>(kStringListHeaderSize)) return false;
  const int64_t body = LoadU32(data + 4);
  if (body >= size) return false;
  if (Adler32(data + 4, kStringListHeaderSize - 4) != LoadU32(data)) {
    return false;
  }
  if (LoadU32(data + 12) > kStringListMaxVersion) return false;
  if (size - body < 4) return false;

  const int32_t count = LoadI32(data + body);
  if (count > kStringListMaxEntries) return false;
  if (count <= 0) return true;

  int64_t position = body + 4;
  while (true) {
    if (position + kBlockHeaderSize > size) return false;
    const uint32_t checksum = LoadU32(data + position);
    const int32_t length = LoadI32(data + position + 4);
    if (length < 0 || length > kStringListMaxBlockBytes) return false;
    const uint8_t* block = data + position + kBlockHeaderSize;
    if (position + kBlockHeaderSize + length > size) return false;
    if (Adler32(block, length) != checksum) return false;

    int32_t offset = 0;
    while (offset < length) {
      if (static_cast<int32_t>(entries->size()) == count) return true;
      if (length - offset < kRecordHeaderSize) return false;
      const int32_t bytes = LoadI32(block + offset);
      if (bytes < 0 || bytes > kStringListMaxRecordBytes) return false;
      if (bytes > length - offset - kRecordHeaderSize) return false;
      std::wstring text(bytes / 2, L'\0');
      if (!text.empty()) {
        std::memcpy(&text[0], block + offset + kRecordHeaderSize,
                    text.size() * sizeof(wchar_t));
      }
      entries->push_back(std::move(text));
      offset += kRecordHeaderSize + bytes;
    }
    if (static_cast<int32_t>(entries->size()) == count) return true;
    position += kBlockHeaderSize + offset;
  }
}

bool HeaderIsReadable(const StringListHeader& header) {
  return LoadU32(header.data() + 4) == kBodyOffset &&
         LoadU32(header.data() + 12) <= kStringListMaxVersion &&
         Adler32(header.data() + 4, kStringListHeaderSize - 4) ==
             LoadU32(header.data());
}

// Lays out the whole file in memory; false when the reader would reject it.
bool EncodeStringList(const StringListHeader& header,
                      const std::vector<std::wstring>& entries,
                      std::string* file) {
  if (!HeaderIsReadable(header)) return false;
  if (entries.size() > static_cast<size_t>(kStringListMaxEntries)) {
    return false;
  }
  file->assign(reinterpret_cast<const char*>(header.data()), header.size());
  AppendU32(static_cast<uint32_t>(entries.size()), file);

  std::string block;
  auto flush = [&]() {
    if (block.empty()) return;
    AppendU32(Adler32(reinterpret_cast<const uint8_t*>(block.data()),
                      block.size()),
              file);
    AppendU32(static_cast<uint32_t>(block.size()), file);
    file->append(block);
    block.clear();
  };
  for (const std::wstring& entry : entries) {
    if (entry.size() * sizeof(wchar_t) >
        static_cast<size_t>(kStringListMaxRecordBytes)) {
      return false;
    }
    const uint32_t bytes = static_cast<uint32_t>(entry.size() * sizeof(wchar_t));
    if (block.size() + kRecordHeaderSize + bytes >
        static_cast<size_t>(kStringListMaxBlockBytes)) {
      flush();
    }
    AppendU32(bytes, &block);
    block.append(reinterpret_cast<const char*>(entry.data()), bytes);
  }
  flush();
  return file->size() <= static_cast<size_t>(kStringListMaxFileSize);
}

// Fails with |error| as the thread's last error.
bool FailWith(DWORD error) {
  ::SetLastError(error);
  return false;
}

// Writes |bytes| as the new file |path| and flushes it to the disk. A file
// that was created but not completed is removed again. On failure the last
// error is that of the step that failed, not of the clean-up.
bool WriteWholeFile(const std::wstring& path, const std::string& bytes) {
  // No sharing: a second writer that ignores the file's mutex fails here
  // instead of interleaving its bytes with ours.
  base::ScopedFileHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0,
                                            nullptr, CREATE_ALWAYS,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD written = 0;
  DWORD error = ERROR_SUCCESS;
  if (!::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                   &written, nullptr)) {
    error = ::GetLastError();
  } else if (written != bytes.size()) {
    error = ERROR_HANDLE_DISK_FULL;  // a short write: no room for the rest
  } else if (!::FlushFileBuffers(file.Get())) {
    error = ::GetLastError();
  }
  file.Reset();
  if (error == ERROR_SUCCESS) return true;
  ::DeleteFileW(path.c_str());
  return FailWith(error);
}

// Why a file that MappedFile could not open was not read: the reader's own
// checks come first (a file too short or too long is a bad file), then
// whatever keeps it from being opened.
StringListReadResult WhyNotOpened(const std::wstring& path,
                                  int32_t max_file_size) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
               ? StringListReadResult::kNoFile
               : StringListReadResult::kCannotOpen;
  }
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
    return StringListReadResult::kCannotOpen;
  }
  const uint64_t size =
      static_cast<uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
  if (size < kStringListHeaderSize) return StringListReadResult::kMalformed;
  if (max_file_size < 0 || size > static_cast<uint64_t>(max_file_size)) {
    return StringListReadResult::kTooLarge;
  }
  return StringListReadResult::kCannotOpen;
}

}  // namespace

StringListHeader MakeStringListHeader() {
  StringListHeader header = {};
  StoreU32(kBodyOffset, header.data() + 4);
  header[8] = 1;
  StoreU32(kStringListVersion, header.data() + 12);
  StoreU32(Adler32(header.data() + 4, kStringListHeaderSize - 4), header.data());
  return header;
}

StringListReadResult ReadStringListWithResult(
    const std::wstring& path, const MutexHolder* mutex, DWORD timeout_ms,
    std::vector<std::wstring>* entries, int32_t max_file_size) {
  if (entries == nullptr) return StringListReadResult::kCannotOpen;
  ScopedMutexLock lock(mutex, timeout_ms);
  if (!lock.held()) return StringListReadResult::kNoMutex;

  // The mapping is not named: a named mapping that another process still
  // holds would show this process the file as it was before the last write
  // replaced it.
  MappedFile file;
  switch (file.Open(path.c_str(), nullptr, 1, 0)) {
    case MappedFile::kCreated:
    case MappedFile::kOpenedExisting:
      break;
    case MappedFile::kNoFile:
      return StringListReadResult::kNoFile;
    default:
      // Empty files and files of 2 GiB or more are refused by the mapping
      // too; those are bad files, not files that cannot be opened.
      return WhyNotOpened(path, max_file_size);
  }
  if (file.size() > max_file_size) return StringListReadResult::kTooLarge;

  std::vector<std::wstring> read;
  if (!ParseStringList(file.view(), file.size(), &read)) {
    return StringListReadResult::kMalformed;
  }
  entries->insert(entries->end(), std::make_move_iterator(read.begin()),
                  std::make_move_iterator(read.end()));
  return StringListReadResult::kRead;
}

bool ReadStringList(const std::wstring& path, const MutexHolder* mutex,
                    DWORD timeout_ms, std::vector<std::wstring>* entries,
                    int32_t max_file_size) {
  return ReadStringListWithResult(path, mutex, timeout_ms, entries,
                                  max_file_size) ==
         StringListReadResult::kRead;
}

bool WriteStringList(const std::wstring& path, const StringListHeader& header,
                     const std::vector<std::wstring>& entries) {
  base::FileWorkScope file_work;
  if (path.empty()) return FailWith(ERROR_INVALID_PARAMETER);
  std::string bytes;
  if (!EncodeStringList(header, entries, &bytes)) {
    return FailWith(ERROR_INVALID_DATA);
  }

  // The target is replaced only by a complete file. Its own permissions are
  // respected: a read-only file is not replaced. A folder in its place is
  // refused as the system refuses to open one for writing.
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))) {
    return FailWith(ERROR_ACCESS_DENIED);
  }
  const std::wstring temporary = path + L".tmp";
  if (!WriteWholeFile(temporary, bytes)) return false;
  if (!::MoveFileExW(temporary.c_str(), path.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    const DWORD error = ::GetLastError();
    ::DeleteFileW(temporary.c_str());
    return FailWith(error);
  }
  return true;
}

}  // namespace ime_shared
