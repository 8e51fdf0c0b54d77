// Measures the candidates of a loaded language against a lexicon of typed
// words: the rows of a romanisation lexicon (Devanagari word, Latin word as
// typed, number of people who typed it), each row one type.
#ifndef TOOLS_LANGDATA_CANDIDATE_EVALUATION_H_
#define TOOLS_LANGDATA_CANDIDATE_EVALUATION_H_

#include <cstdint>
#include <string>
#include <vector>

namespace langdata {

struct LexiconRow {
  std::wstring native;
  std::wstring latin;
  int32_t count;
};

// Reads the UTF-8 lines "native<TAB>latin<TAB>count". Lines that do not have
// three fields, a non-empty word on both sides and a positive count are
// skipped and counted in |*skipped| (when given). Native words are put in
// the data file's form of nukta letters (NormalizeNukta).
std::vector<LexiconRow> ParseLexicon(const std::string& text,
                                     size_t* skipped = nullptr);

// The data file writes nukta letters as the base letter followed by the
// nukta U+093C (what Unicode normalisation gives); this replaces the
// precomposed letters U+0958..U+095F by that form.
std::wstring NormalizeNukta(const std::wstring& word);

// Accumulates the hits of each row: top-1 and top-4 of the candidate list,
// top-5 of the transliterations, by type and weighted by the count column.
class CandidateScores {
 public:
  // |candidates| as the candidate list shows them; |transliterations| the
  // words Transliterate gave for n = 5.
  void Add(const LexiconRow& row, const std::vector<std::wstring>& candidates,
           const std::vector<std::wstring>& transliterations);

  int rows() const { return rows_; }
  double top1() const { return Fraction(top1_, rows_); }
  double top4() const { return Fraction(top4_, rows_); }
  double top5() const { return Fraction(top5_, rows_); }
  double top1_weighted() const { return Fraction(top1_weight_, weight_); }
  double top4_weighted() const { return Fraction(top4_weight_, weight_); }

  // "top1=F top4=F top5=F top1_weighted=F top4_weighted=F n=N".
  std::string SummaryLine() const;

 private:
  static double Fraction(double part, double whole) {
    return whole > 0 ? part / whole : 0.0;
  }

  int rows_ = 0;
  int top1_ = 0;
  int top4_ = 0;
  int top5_ = 0;
  double weight_ = 0;
  double top1_weight_ = 0;
  double top4_weight_ = 0;
};

// The value at |fraction| (0..1) of |values| by the nearest-rank method; 0
// for an empty list. |values| is sorted in place.
double Percentile(std::vector<double>* values, double fraction);

}  // namespace langdata

#endif  // TOOLS_LANGDATA_CANDIDATE_EVALUATION_H_
