// The user's macros: a macro name and the text it expands to. Names are
// matched exactly, case included; the first expansion given for a name is
// the one kept.
#ifndef IME_T13N_TRANSLITERATION_TRANSLITERATOR_MACRO_TABLE_H_
#define IME_T13N_TRANSLITERATION_TRANSLITERATOR_MACRO_TABLE_H_

#include <cstddef>
#include <string>
#include <unordered_map>

namespace ime_t13n {

class MacroTable {
 public:
  MacroTable() = default;
  MacroTable(const MacroTable&) = delete;
  MacroTable& operator=(const MacroTable&) = delete;

  // Adds |name|; a name already present keeps its expansion.
  void Add(const std::wstring& name, const std::wstring& expansion) {
    macros_.emplace(name, expansion);
  }
  // The expansion of exactly |name|; null when there is none.
  const std::wstring* Find(const std::wstring& name) const {
    auto it = macros_.find(name);
    return it != macros_.end() ? &it->second : nullptr;
  }
  void Clear() { macros_.clear(); }
  size_t size() const { return macros_.size(); }

 private:
  std::unordered_map<std::wstring, std::wstring> macros_;
};

}  // namespace ime_t13n

#endif  // IME_T13N_TRANSLITERATION_TRANSLITERATOR_MACRO_TABLE_H_
