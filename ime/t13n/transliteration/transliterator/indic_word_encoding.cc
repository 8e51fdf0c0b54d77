#include "ime/t13n/transliteration/transliterator/indic_word_encoding.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>

#include "ime/shared/string_utils.h"

namespace ime_t13n {
namespace {

constexpr wchar_t kFirstIndicUnit = 0x0900;
constexpr wchar_t kLastIndicUnit = 0x0D7F;
constexpr wchar_t kZeroWidthNonJoiner = 0x200C;
constexpr wchar_t kZeroWidthJoiner = 0x200D;
constexpr char kNonJoinerByte = ':';
constexpr char kJoinerByte = ';';
constexpr char kEscapeByte = '\\';
constexpr int kFirstScriptByte = 9;
// Set in a validity entry when the offset is encodable for the code points
// of the exception list, whatever their script.
constexpr uint16_t kExceptionBit = 0x200;

// Indexed by the offset in the script block. Bit 8 - s is set when the
// offset is an assigned character of script s (bit 8 Devanagari .. bit 0
// Malayalam).
constexpr uint16_t kValidity[128] = {
    0x000, 0x1F4, 0x1FF, 0x1FF, 0x100, 0x1FF, 0x1FF, 0x1FF,  // 00-07
    0x1FF, 0x1FF, 0x1FF, 0x1B7, 0x1B7, 0x120, 0x20F, 0x24F,  // 08-0F
    0x1FF, 0x120, 0x20F, 0x24F, 0x1FF, 0x1FF, 0x1F7, 0x1F7,  // 10-17
    0x1F7, 0x1FF, 0x1FF, 0x1F7, 0x1FF, 0x1F7, 0x1FF, 0x1FF,  // 18-1F
    0x1F7, 0x1F7, 0x1F7, 0x1FF, 0x1FF, 0x1F7, 0x1F7, 0x1F7,  // 20-27
    0x1FF, 0x108, 0x1FF, 0x1F7, 0x1F7, 0x1F7, 0x1FF, 0x1FF,  // 28-2F
    0x1FF, 0x10F, 0x1FF, 0x17F, 0x109, 0x17F, 0x1FF, 0x1BF,  // 30-37
    0x1FF, 0x1FF, 0x000, 0x000, 0x1F2, 0x1B7, 0x1FF, 0x1FF,  // 38-3F
    0x1FF, 0x1FF, 0x1FF, 0x1B7, 0x1B7, 0x120, 0x20F, 0x24F,  // 40-47
    0x1FF, 0x120, 0x20F, 0x24F, 0x1FF, 0x1FF, 0x080, 0x000,  // 48-4F
    0x128, 0x140, 0x100, 0x100, 0x100, 0x006, 0x016, 0x099,  // 50-57
    0x300, 0x340, 0x140, 0x140, 0x2D0, 0x190, 0x142, 0x190,  // 58-5F
    0x1B7, 0x1B7, 0x1B7, 0x1B7, 0x100, 0x100, 0x1FF, 0x1FF,  // 60-67
    0x1FF, 0x1FF, 0x1FF, 0x1FF, 0x1FF, 0x1FF, 0x1FF, 0x1FF,  // 68-6F
    0x200, 0x200, 0x200, 0x200, 0x200, 0x200, 0x200, 0x200,  // 70-77
    0x200, 0x200, 0x200, 0x200, 0x200, 0x200, 0x200, 0x200,  // 78-7F
};

// Code points encodable although their script's bit is clear; sorted.
constexpr wchar_t kExceptions[] = {
    0x090E, 0x090F, 0x0912, 0x0913, 0x0946, 0x0947, 0x094A, 0x094B, 0x095C,
    0x098F, 0x0993, 0x09C7, 0x09CB, 0x0A70, 0x0A71, 0x0A8F, 0x0A93, 0x0AC7,
    0x0ACB, 0x0B0F, 0x0B13, 0x0B47, 0x0B4B, 0x0C58, 0x0C59,
};

int ScriptIndex(wchar_t unit) { return (unit - kFirstIndicUnit) / 128; }

bool IsEncodable(wchar_t unit) {
  if (unit < kFirstIndicUnit || unit > kLastIndicUnit) return false;
  const uint16_t entry = kValidity[unit & 0x7F];
  if (entry & (1u << (8 - ScriptIndex(unit)))) return true;
  return (entry & kExceptionBit) &&
         std::binary_search(std::begin(kExceptions), std::end(kExceptions),
                            unit);
}

std::string Escaped(const std::wstring& word) {
  return kEscapeByte + ime_shared::WideToUtf8(word);
}

void Decode(const char* bytes, size_t length, std::wstring* out) {
  if (length == 0) return;
  if (bytes[0] == kEscapeByte) {
    *out = ime_shared::Utf8ToWide(std::string(bytes + 1, length - 1));
    return;
  }
  const unsigned block =
      kFirstIndicUnit +
      128u * (static_cast<unsigned char>(bytes[0]) - kFirstScriptByte);
  out->reserve(out->size() + length - 1);
  for (size_t i = 1; i < length; ++i) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c == kNonJoinerByte) {
      out->push_back(kZeroWidthNonJoiner);
    } else if (c == kJoinerByte) {
      out->push_back(kZeroWidthJoiner);
    } else {
      out->push_back(static_cast<wchar_t>(block + c));
    }
  }
}

}  // namespace

std::string EncodeWordToBytes(const std::wstring& word) {
  std::string bytes(1, '\0');  // byte 0, the script, is known at the end
  bytes.reserve(word.size() + 1);
  int last_script = -1;
  for (const wchar_t unit : word) {
    if (IsEncodable(unit)) {
      bytes.push_back(static_cast<char>(unit & 0x7F));
      last_script = ScriptIndex(unit);
    } else if (unit == kZeroWidthNonJoiner) {
      bytes.push_back(kNonJoinerByte);
    } else if (unit == kZeroWidthJoiner) {
      bytes.push_back(kJoinerByte);
    } else {
      return Escaped(word);
    }
  }
  if (last_script < 0) return Escaped(word);
  bytes[0] = static_cast<char>(kFirstScriptByte + last_script);
  return bytes;
}

void DecodeEscapedEntry(const char* bytes, std::wstring* out) {
  if (bytes == nullptr || out == nullptr) return;
  Decode(bytes, std::strlen(bytes), out);
}

void DecodeEscapedEntry(const std::string& bytes, std::wstring* out) {
  if (out == nullptr) return;
  Decode(bytes.data(), bytes.size(), out);
}

}  // namespace ime_t13n
