#include "ime/shared/string_list_file.h"

#include <zlib.h>

#include <cstring>
#include <iterator>

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

// Writes |bytes| as the new file |path| and flushes it to the disk. A file
// that was created but not completed is removed again.
bool WriteWholeFile(const std::wstring& path, const std::string& bytes) {
  // No sharing: a second writer that ignores the file's mutex fails here
  // instead of interleaving its bytes with ours.
  base::ScopedFileHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0,
                                            nullptr, CREATE_ALWAYS,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD written = 0;
  const bool complete =
      ::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                  &written, nullptr) &&
      written == bytes.size() && ::FlushFileBuffers(file.Get());
  file.Reset();
  if (!complete) ::DeleteFileW(path.c_str());
  return complete;
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

bool ReadStringList(const std::wstring& path, const MutexHolder* mutex,
                    DWORD timeout_ms, std::vector<std::wstring>* entries,
                    int32_t max_file_size) {
  if (entries == nullptr) return false;
  ScopedMutexLock lock(mutex, timeout_ms);
  if (!lock.held()) return false;

  // The mapping is not named: a named mapping that another process still
  // holds would show this process the file as it was before the last write
  // replaced it.
  MappedFile file;
  if (file.Open(path.c_str(), nullptr, 1, 0) < 0) return false;
  if (file.size() > max_file_size) return false;

  std::vector<std::wstring> read;
  if (!ParseStringList(file.view(), file.size(), &read)) return false;
  entries->insert(entries->end(), std::make_move_iterator(read.begin()),
                  std::make_move_iterator(read.end()));
  return true;
}

bool WriteStringList(const std::wstring& path, const StringListHeader& header,
                     const std::vector<std::wstring>& entries) {
  std::string bytes;
  if (path.empty() || !EncodeStringList(header, entries, &bytes)) return false;

  // The target is replaced only by a complete file. Its own permissions are
  // respected: a read-only file is not replaced.
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))) {
    return false;
  }
  const std::wstring temporary = path + L".tmp";
  if (!WriteWholeFile(temporary, bytes)) return false;
  if (!::MoveFileExW(temporary.c_str(), path.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    ::DeleteFileW(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace ime_shared
