#include "ime/shared/imm/blocks.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "ime/shared/frontend/frontend_interfaces.h"

namespace ime_shared {
namespace imm {
namespace {

BYTE* At(void* block, DWORD offset) {
  return static_cast<BYTE*>(block) + offset;
}

// Copies at most kMaxStringLength units of |text| and a NUL into the area
// at |area|; returns the number of units stored.
DWORD StoreString(BYTE* area, const std::wstring& text) {
  const DWORD length =
      static_cast<DWORD>(std::min<size_t>(text.size(), kMaxStringLength));
  std::memcpy(area, text.data(), length * sizeof(wchar_t));
  const wchar_t nul = 0;
  std::memcpy(area + length * sizeof(wchar_t), &nul, sizeof(nul));
  return length;
}

void StoreClauses(BYTE* clauses, DWORD length) {
  const DWORD entries[2] = {0, length};
  std::memcpy(clauses, entries, sizeof(entries));
}

}  // namespace

void InitCompositionBlock(void* block) {
  std::memset(block, 0, kCompositionBlockSize);
  auto* header = static_cast<COMPOSITIONSTRING*>(block);
  header->dwSize = kCompositionBlockSize;
  // The reading shares the composition's areas.
  header->dwCompStrOffset = kCompositionStringOffset;
  header->dwCompReadStrOffset = kCompositionStringOffset;
  header->dwCompClauseOffset = kCompositionClauseOffset;
  header->dwCompReadClauseOffset = kCompositionClauseOffset;
  header->dwCompAttrOffset = kCompositionAttributeOffset;
  header->dwCompReadAttrOffset = kCompositionAttributeOffset;
  header->dwResultStrOffset = kResultStringOffset;
}

void InitCandidateBlock(void* block) {
  std::memset(block, 0, kCandidateBlockSize);
  auto* info = static_cast<CANDIDATEINFO*>(block);
  info->dwSize = kCandidateBlockSize;
  info->dwCount = 1;
  info->dwOffset[0] = kCandidateListOffset;
  CANDIDATELIST* list = CandidateListOf(block);
  list->dwSize = kCandidateListSize;
  list->dwStyle = IME_CAND_READ;
  list->dwPageSize = kMaxCandidates;
  // dwOffset is declared with one entry; the others follow it in the block.
  BYTE* offsets =
      At(block, kCandidateListOffset + offsetof(CANDIDATELIST, dwOffset));
  for (DWORD i = 0; i < kMaxCandidates; ++i) {
    const DWORD offset = kCandidateStringOffset + kCandidateStringStride * i;
    std::memcpy(offsets + i * sizeof(DWORD), &offset, sizeof(offset));
  }
}

void WriteComposition(void* block, const std::wstring& composition,
                      int32_t caret, const std::wstring& result) {
  auto* header = static_cast<COMPOSITIONSTRING*>(block);
  const DWORD length =
      StoreString(At(block, kCompositionStringOffset), composition);
  header->dwCompStrLen = length;
  header->dwCompReadStrLen = length;
  // One attribute byte per character; the bytes stay ATTR_INPUT.
  header->dwCompAttrLen = length;
  header->dwCompReadAttrLen = length;
  StoreClauses(At(block, kCompositionClauseOffset), length);

  const DWORD result_length =
      StoreString(At(block, kResultStringOffset), result);
  header->dwResultStrLen = result_length;
  StoreClauses(At(block, kResultClauseOffset), result_length);

  header->dwCursorPos =
      static_cast<DWORD>(std::min<int64_t>(std::max<int32_t>(caret, 0), length));
}

CandidateCounts WriteCandidates(void* block, const EngineInterface& engine) {
  CANDIDATELIST* list = CandidateListOf(block);
  CandidateCounts counts;
  counts.old_count = list->dwCount;
  const int32_t count = engine.CandidateCount();
  const DWORD n = static_cast<DWORD>(
      std::min<int32_t>(std::max<int32_t>(count, 0), kMaxCandidates));
  list->dwCount = n;
  list->dwPageSize = n;
  const int32_t selection = engine.CandidateSelection();
  list->dwSelection =
      n == 0 ? 0
             : static_cast<DWORD>(std::min<int64_t>(
                   std::max<int32_t>(selection, 0), n - 1));
  BYTE* strings = At(block, kCandidateListOffset + kCandidateStringOffset);
  for (DWORD i = 0; i < n; ++i) {
    StoreString(strings + kCandidateStringStride * i,
                engine.CandidateAt(static_cast<int32_t>(i)));
  }
  counts.new_count = n;
  return counts;
}

}  // namespace imm
}  // namespace ime_shared
