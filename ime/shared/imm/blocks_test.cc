#include "ime/shared/imm/blocks.h"

#include <cstring>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "ime/shared/imm/imm_test_helpers.h"

namespace ime_shared {
namespace imm {
namespace {

using testing_helpers::ScriptedEngine;

const wchar_t* StringAt(const std::vector<uint8_t>& block, size_t offset) {
  return reinterpret_cast<const wchar_t*>(block.data() + offset);
}

TEST(BlocksTest, FreshBlocksHoldNothing) {
  std::vector<uint8_t> composition(kCompositionBlockSize, 0xEE);
  InitCompositionBlock(composition.data());
  auto* header = reinterpret_cast<COMPOSITIONSTRING*>(composition.data());
  EXPECT_EQ(header->dwCompStrLen, 0u);
  EXPECT_EQ(header->dwSize, kCompositionBlockSize);
  EXPECT_EQ(header->dwCompStrOffset, header->dwCompReadStrOffset);
  EXPECT_EQ(header->dwCompClauseLen, 0u) << "no clause information published";
  EXPECT_EQ(header->dwResultClauseOffset, 0u);
  for (size_t i = sizeof(COMPOSITIONSTRING); i < composition.size(); ++i) {
    ASSERT_EQ(composition[i], 0) << "at " << i;
  }

  std::vector<uint8_t> candidates(kCandidateBlockSize, 0xEE);
  InitCandidateBlock(candidates.data());
  CANDIDATELIST* list = CandidateListOf(candidates.data());
  EXPECT_EQ(reinterpret_cast<uint8_t*>(list) - candidates.data(), 144);
  EXPECT_EQ(list->dwCount, 0u);
  // Every slot lies inside the block.
  const DWORD* offsets = list->dwOffset;
  EXPECT_EQ(kCandidateListOffset + offsets[kMaxCandidates - 1] +
                kStringAreaBytes,
            kCandidateBlockSize);
}

TEST(BlocksTest, WritingKeepsEveryCountWithinWhatWasStored) {
  std::vector<uint8_t> composition(kCompositionBlockSize);
  InitCompositionBlock(composition.data());
  WriteComposition(composition.data(), L"ab", 9, L"");
  auto* header = reinterpret_cast<COMPOSITIONSTRING*>(composition.data());
  EXPECT_EQ(header->dwCursorPos, 2u);
  EXPECT_EQ(header->dwCompStrLen, 2u);
  WriteComposition(composition.data(), L"", 0, L"xyz");
  EXPECT_EQ(header->dwCompStrLen, 0u);
  EXPECT_STREQ(StringAt(composition, kCompositionStringOffset), L"");
  EXPECT_STREQ(StringAt(composition, kResultStringOffset), L"xyz");

  std::vector<uint8_t> candidates(kCandidateBlockSize);
  InitCandidateBlock(candidates.data());
  ScriptedEngine engine;
  engine.candidates = {L"a", L"b", L"c"};
  engine.selection = -3;
  CandidateCounts counts = WriteCandidates(candidates.data(), engine);
  EXPECT_EQ(counts.old_count, 0u);
  EXPECT_EQ(counts.new_count, 3u);
  EXPECT_EQ(CandidateListOf(candidates.data())->dwSelection, 0u);
  EXPECT_STREQ(StringAt(candidates, 208 + 2000), L"c");

  engine.candidates.clear();
  engine.selection = 5;
  counts = WriteCandidates(candidates.data(), engine);
  EXPECT_EQ(counts.old_count, 3u);
  EXPECT_EQ(counts.new_count, 0u);
  EXPECT_EQ(CandidateListOf(candidates.data())->dwSelection, 0u);
  EXPECT_EQ(CandidateListOf(candidates.data())->dwPageSize, 0u);
}

}  // namespace
}  // namespace imm
}  // namespace ime_shared
