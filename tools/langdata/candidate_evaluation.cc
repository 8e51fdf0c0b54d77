#include "tools/langdata/candidate_evaluation.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "ime/shared/string_utils.h"

namespace langdata {

namespace {

// Base letters of U+0958..U+095F: qa, khha, ghha, za, dddha, rha, fa, yya.
const wchar_t kNuktaBases[8] = {0x0915, 0x0916, 0x0917, 0x091C,
                                0x0921, 0x0922, 0x092B, 0x092F};
const wchar_t kNukta = 0x093C;

bool ParsePositive(const std::string& text, int32_t* value) {
  if (text.empty() || text.size() > 9) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  *value = std::atoi(text.c_str());
  return *value > 0;
}

}  // namespace

std::wstring NormalizeNukta(const std::wstring& word) {
  std::wstring out;
  out.reserve(word.size() + 2);
  for (wchar_t unit : word) {
    if (unit >= 0x0958 && unit <= 0x095F) {
      out.push_back(kNuktaBases[unit - 0x0958]);
      out.push_back(kNukta);
    } else {
      out.push_back(unit);
    }
  }
  return out;
}

std::vector<LexiconRow> ParseLexicon(const std::string& text,
                                     size_t* skipped) {
  std::vector<LexiconRow> rows;
  size_t bad = 0;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    const size_t tab1 = line.find('\t');
    const size_t tab2 =
        tab1 == std::string::npos ? tab1 : line.find('\t', tab1 + 1);
    LexiconRow row;
    if (tab2 == std::string::npos ||
        line.find('\t', tab2 + 1) != std::string::npos || tab1 == 0 ||
        tab2 == tab1 + 1 || !ParsePositive(line.substr(tab2 + 1), &row.count)) {
      ++bad;
      continue;
    }
    row.native = NormalizeNukta(ime_shared::Utf8ToWide(line.substr(0, tab1)));
    row.latin = ime_shared::Utf8ToWide(line.substr(tab1 + 1, tab2 - tab1 - 1));
    rows.push_back(std::move(row));
  }
  if (skipped != nullptr) *skipped = bad;
  return rows;
}

void CandidateScores::Add(const LexiconRow& row,
                          const std::vector<std::wstring>& candidates,
                          const std::vector<std::wstring>& transliterations) {
  auto within = [&row](const std::vector<std::wstring>& list, size_t n) {
    const auto end = list.begin() + std::min(n, list.size());
    return std::find(list.begin(), end, row.native) != end;
  };
  const bool hit1 = within(candidates, 1);
  const bool hit4 = within(candidates, 4);
  ++rows_;
  top1_ += hit1;
  top4_ += hit4;
  top5_ += within(transliterations, 5);
  weight_ += row.count;
  top1_weight_ += hit1 ? row.count : 0;
  top4_weight_ += hit4 ? row.count : 0;
}

std::string CandidateScores::SummaryLine() const {
  char line[200];
  std::snprintf(line, sizeof(line),
                "top1=%.4f top4=%.4f top5=%.4f top1_weighted=%.4f "
                "top4_weighted=%.4f n=%d",
                top1(), top4(), top5(), top1_weighted(), top4_weighted(),
                rows_);
  return line;
}

double Percentile(std::vector<double>* values, double fraction) {
  if (values->empty()) return 0.0;
  std::sort(values->begin(), values->end());
  size_t rank = static_cast<size_t>(std::ceil(fraction * values->size()));
  if (rank < 1) rank = 1;
  if (rank > values->size()) rank = values->size();
  return (*values)[rank - 1];
}

}  // namespace langdata
