// Second process of the mapped-file tests.
//
//   mapped_file_test_child <path> <mapping name> <minimum size>
//     Opens the file with the mapping name and prints the result code and
//     the file's bytes as hexadecimal (at most 64) on one line.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "ime/shared/mapped_file.h"
#include "ime/shared/string_utils.h"

int main(int argc, char** argv) {
  if (argc != 4) return 2;
  const std::wstring path = ime_shared::Utf8ToWide(argv[1]);
  const std::wstring name = ime_shared::Utf8ToWide(argv[2]);
  ime_shared::MappedFile file;
  const int32_t result = file.Open(path.c_str(), name.c_str(), 1,
                                   static_cast<uint32_t>(atoi(argv[3])));
  std::printf("%ld ", static_cast<long>(result));
  for (int32_t i = 0; i < file.size() && i < 64; ++i) {
    std::printf("%02x", file.view()[i]);
  }
  std::printf("\n");
  return 0;
}
