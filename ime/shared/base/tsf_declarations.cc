#include "ime/shared/base/tsf_declarations.h"

// Declared by msctf.h with C linkage; libuuid has no definition.
extern "C" const GUID GUID_PROP_COMPOSING = {
    0xe12ac060, 0xaf15, 0x11d2, {0xaf, 0xc5, 0x00, 0x10, 0x5a, 0x27, 0x99, 0xb5}};
