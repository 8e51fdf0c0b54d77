// The file format of the user's macros ("macros.0000") and user cache
// ("user_cache.00000"): a list of at most 2000 short UTF-16 strings.
//
// All integers are little-endian.
//   header, 16 bytes:
//     0  u32  Adler-32 of header bytes 4..15
//     4  u32  body offset (16 in written files)
//     8  u16  1 (not checked)
//    10  u16  0 (not checked)
//    12  u32  version: 1 written, at most 4 read
//   body, at the body offset:
//        i32  entry count (0 or less: an empty list)
//        blocks until the count is reached:
//          u32  Adler-32 of the block's data
//          i32  data length, 0..4096
//               records: i32 byte length 0..500, then the UTF-16LE text
//
// A block holds whole records only and is never empty. A reader rejects the
// whole file at its first inconsistency.
#ifndef IME_SHARED_STRING_LIST_FILE_H_
#define IME_SHARED_STRING_LIST_FILE_H_

#include <windows.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "ime/shared/scoped_mutex_lock.h"

namespace ime_shared {

constexpr size_t kStringListHeaderSize = 16;
constexpr uint32_t kStringListVersion = 1;
constexpr uint32_t kStringListMaxVersion = 4;
constexpr int32_t kStringListMaxEntries = 2000;
constexpr int32_t kStringListMaxBlockBytes = 4096;
constexpr int32_t kStringListMaxRecordBytes = 500;
// What every reader passes as the largest file it accepts, with the wait
// for the file's mutex.
constexpr int32_t kStringListMaxFileSize = 1000000;
constexpr DWORD kStringListMutexTimeoutMs = 5000;

using StringListHeader = std::array<uint8_t, kStringListHeaderSize>;

// The header every writer puts on a file: body offset 16, the fields 1 and
// 0, version 1 and the header checksum.
StringListHeader MakeStringListHeader();

// What a read of a string-list file came to. Only kMalformed and kTooLarge
// say that the file itself is bad; the others say nothing of its content.
enum class StringListReadResult {
  kRead,        // the entries were read
  kNoMutex,     // the mutex was not taken within the time-out, or is missing
  kNoFile,      // there is no file (or no folder) at the path
  kCannotOpen,  // something is there but cannot be opened: a folder, a file
                // another process holds without sharing, no access
  kTooLarge,    // a file above the size limit
  kMalformed,   // a file that is too short or inconsistent anywhere
};

// Reads the file at |path| while holding the mutex of |mutex| (waited for up
// to |timeout_ms|; an abandoned mutex counts as acquired). On success the
// entries are appended to |entries| in file order and kRead is returned. Any
// other answer leaves |entries| as it was. A null |entries| reads nothing
// and answers kCannotOpen.
StringListReadResult ReadStringListWithResult(
    const std::wstring& path, const MutexHolder* mutex, DWORD timeout_ms,
    std::vector<std::wstring>* entries, int32_t max_file_size);

// ReadStringListWithResult answering true for kRead and false otherwise.
bool ReadStringList(const std::wstring& path, const MutexHolder* mutex,
                    DWORD timeout_ms, std::vector<std::wstring>* entries,
                    int32_t max_file_size);

// Writes |entries| under |header| to |path|; the caller holds the file's
// mutex. The new content goes to a temporary file beside the target, which
// replaces the target only when it was written completely, so a failure
// leaves the previous file as it was.
//
// Nothing is written, and false returned, when the reader would reject the
// result: a header whose checksum is wrong, whose body offset is not 16 or
// whose version is above 4; more than 2000 entries; an entry longer than 250
// UTF-16 units; or a file above 1,000,000 bytes. False also when the target
// is read-only or any file operation fails.
//
// On failure GetLastError() tells why: ERROR_INVALID_PARAMETER for an empty
// path, ERROR_INVALID_DATA for content the reader would reject,
// ERROR_ACCESS_DENIED for a read-only target or a folder in its place, and
// otherwise the error of the file operation that failed (for example
// ERROR_DISK_FULL, or ERROR_SHARING_VIOLATION when another process holds the
// target), kept across the removal of the temporary file.
bool WriteStringList(const std::wstring& path, const StringListHeader& header,
                     const std::vector<std::wstring>& entries);

}  // namespace ime_shared

#endif  // IME_SHARED_STRING_LIST_FILE_H_
