// The two blocks an IMM32 input context shares with the application: the
// composition-string block (hCompStr) and the candidate-info block
// (hCandInfo). Both have a fixed layout: every string has its own area of
// 500 UTF-16 units, so the blocks are sized once at selection and then only
// rewritten in place.
//
// Composition-string block (2616 bytes):
//   0     COMPOSITIONSTRING header
//   100   composition string (also the reading string), 500 units
//   1100  composition clauses: two DWORDs {0, composition length}
//   1108  composition attributes, 500 bytes, all ATTR_INPUT (0)
//   1608  result string, 500 units
//   2608  result clauses: two DWORDs {0, result length}
// Candidate-info block (10208 bytes):
//   0     CANDIDATEINFO {dwSize, dwCount 1, dwOffset[0] 144}
//   144   CANDIDATELIST header, style IME_CAND_READ
//   168   dwOffset[0..9] = 64 + 1000 * i, relative to the list
//   208 + 1000 * i   candidate string i, 500 units
#ifndef IME_SHARED_IMM_BLOCKS_H_
#define IME_SHARED_IMM_BLOCKS_H_

#include <windows.h>

#include <cstdint>
#include <string>

#include "ime/shared/base/imm_ddk.h"

namespace ime_shared {

class EngineInterface;

namespace imm {

// Every string area holds this many characters and a terminating NUL;
// longer texts are cut.
constexpr DWORD kMaxStringLength = 499;
constexpr DWORD kStringAreaBytes = (kMaxStringLength + 1) * sizeof(wchar_t);

constexpr DWORD kCompositionBlockSize = 2616;
constexpr DWORD kCompositionStringOffset = 100;
constexpr DWORD kCompositionClauseOffset = 1100;
constexpr DWORD kCompositionAttributeOffset = 1108;
constexpr DWORD kResultStringOffset = 1608;
constexpr DWORD kResultClauseOffset = 2608;

constexpr DWORD kCandidateBlockSize = 10208;
constexpr DWORD kCandidateListOffset = sizeof(CANDIDATEINFO);  // 144
constexpr DWORD kCandidateListSize = kCandidateBlockSize - kCandidateListOffset;
// The list has room for this many candidates; longer pages are cut.
constexpr DWORD kMaxCandidates = 10;
// Offset of candidate string 0 from the start of the list, and the stride.
constexpr DWORD kCandidateStringOffset = 64;
constexpr DWORD kCandidateStringStride = 1000;

static_assert(kCompositionStringOffset + kStringAreaBytes ==
                  kCompositionClauseOffset, "composition area");
static_assert(kResultStringOffset + kStringAreaBytes == kResultClauseOffset,
              "result area");
static_assert(kResultClauseOffset + 2 * sizeof(DWORD) == kCompositionBlockSize,
              "composition block size");
static_assert(kCandidateListOffset + kCandidateStringOffset +
                      kMaxCandidates * kCandidateStringStride ==
                  kCandidateBlockSize, "candidate block size");

// Zeroes a composition-string block of kCompositionBlockSize bytes and
// writes its header (sizes and offsets; every length 0).
void InitCompositionBlock(void* block);

// Zeroes a candidate-info block of kCandidateBlockSize bytes and writes the
// info header and the list header (no candidates, page size 10).
void InitCandidateBlock(void* block);

// Writes the composition (with its caret, kept within the stored text) and
// the result into the block, each cut to kMaxStringLength characters.
void WriteComposition(void* block, const std::wstring& composition,
                      int32_t caret, const std::wstring& result);

// What WriteCandidates found and stored.
struct CandidateCounts {
  DWORD old_count;
  DWORD new_count;
};

// Writes the engine's current page into the block: count, page size and
// selection (kept within the page) and the strings, each cut to
// kMaxStringLength characters; at most kMaxCandidates of them.
CandidateCounts WriteCandidates(void* block, const EngineInterface& engine);

// The candidate list inside a candidate-info block.
inline CANDIDATELIST* CandidateListOf(void* block) {
  return reinterpret_cast<CANDIDATELIST*>(static_cast<BYTE*>(block) +
                                          kCandidateListOffset);
}

}  // namespace imm
}  // namespace ime_shared

#endif  // IME_SHARED_IMM_BLOCKS_H_
