#include "tools/langdata/candidate_evaluation.h"

#include <vector>

#include "gtest/gtest.h"

namespace langdata {
namespace {

TEST(CandidateEvaluationTest, LexiconRowsAreReadAndBadLinesSkipped) {
  size_t skipped = 0;
  const std::vector<LexiconRow> rows = ParseLexicon(
      "\xE0\xA4\x95\xE0\xA4\xBE\tkaa\t3\r\n"
      "\n"
      "only\ttwo\n"
      "\xE0\xA4\x95\tk\t0\n"
      "\xE0\xA4\x95\t\t2\n"
      "a\tb\tc\td\n"
      // Precomposed za becomes ja + nukta.
      "\xE0\xA5\x9B\xE0\xA4\xB0\tzar\t1",
      &skipped);
  ASSERT_EQ(2u, rows.size());
  EXPECT_EQ(L"\x0915\x093E", rows[0].native);
  EXPECT_EQ(L"kaa", rows[0].latin);
  EXPECT_EQ(3, rows[0].count);
  EXPECT_EQ(L"\x091C\x093C\x0930", rows[1].native);
  EXPECT_EQ(4u, skipped);
}

TEST(CandidateEvaluationTest, NuktaLettersTakeTheDecomposedForm) {
  EXPECT_EQ(L"\x0915\x093C\x092F\x093C", NormalizeNukta(L"\x0958\x095F"));
  EXPECT_EQ(L"\x0921\x093C", NormalizeNukta(L"\x0921\x093C"));
}

TEST(CandidateEvaluationTest, HitsCountByTypeAndByWeight) {
  CandidateScores scores;
  const LexiconRow first{L"a", L"x", 3};
  const LexiconRow fourth{L"b", L"y", 1};
  const LexiconRow fifth{L"c", L"z", 4};
  scores.Add(first, {L"a", L"q"}, {L"a"});
  scores.Add(fourth, {L"p", L"q", L"r", L"b", L"s"}, {L"p"});
  // Fifth candidate: no top-4 hit; fifth transliteration: a top-5 hit.
  scores.Add(fifth, {L"p", L"q", L"r", L"s", L"c"}, {L"p", L"q", L"r", L"s", L"c"});
  EXPECT_EQ(3, scores.rows());
  EXPECT_DOUBLE_EQ(1.0 / 3, scores.top1());
  EXPECT_DOUBLE_EQ(2.0 / 3, scores.top4());
  EXPECT_DOUBLE_EQ(2.0 / 3, scores.top5());
  EXPECT_DOUBLE_EQ(3.0 / 8, scores.top1_weighted());
  EXPECT_DOUBLE_EQ(4.0 / 8, scores.top4_weighted());
  EXPECT_EQ("top1=0.3333 top4=0.6667 top5=0.6667 top1_weighted=0.3750 "
            "top4_weighted=0.5000 n=3",
            scores.SummaryLine());
  EXPECT_EQ("top1=0.0000 top4=0.0000 top5=0.0000 top1_weighted=0.0000 "
            "top4_weighted=0.0000 n=0",
            CandidateScores().SummaryLine());
}

TEST(CandidateEvaluationTest, PercentilesAreNearestRank) {
  std::vector<double> values = {5, 1, 4, 2, 3};
  EXPECT_EQ(3, Percentile(&values, 0.5));
  EXPECT_EQ(5, Percentile(&values, 0.99));
  EXPECT_EQ(1, Percentile(&values, 0.0));
  std::vector<double> none;
  EXPECT_EQ(0, Percentile(&none, 0.5));
}

}  // namespace
}  // namespace langdata
