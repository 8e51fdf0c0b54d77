// PLACEHOLDER, to be deleted when the product folders are merged: the
// registry value "DataPath" of the machine-wide product key.
#ifndef IME_T13N_TRANSLITERATION_TRANSLITERATOR_PENDING_PRODUCT_FOLDERS_H_
#define IME_T13N_TRANSLITERATION_TRANSLITERATOR_PENDING_PRODUCT_FOLDERS_H_

#include <string>

namespace ime_shared {

inline std::wstring GetDataDirectory() { return std::wstring(); }

}  // namespace ime_shared

#endif  // IME_T13N_TRANSLITERATION_TRANSLITERATOR_PENDING_PRODUCT_FOLDERS_H_
