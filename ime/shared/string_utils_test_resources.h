// String ids of the string table built into the shared services' tests.
#ifndef IME_SHARED_STRING_UTILS_TEST_RESOURCES_H_
#define IME_SHARED_STRING_UTILS_TEST_RESOURCES_H_

#define IDS_TEST_SHORT 901
#define IDS_TEST_DEVANAGARI 902
#define IDS_TEST_LONG 903
#define IDS_TEST_MISSING 904

#endif  // IME_SHARED_STRING_UTILS_TEST_RESOURCES_H_
