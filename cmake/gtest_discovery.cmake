# Lists the cases of a GoogleTest program for ctest, as CMake's
# GoogleTestAddTests.cmake does, without the skip pattern that script gives
# every case: with it, a case that did not run would be reported "Skipped"
# instead of failed (see kelvane_discover_tests in kelvane.cmake).
#
# ctest includes this file, then calls gtest_discover_tests_impl. The
# definition below replaces the one included just before it, which CMake
# keeps under the name with one more leading underscore.
include(GoogleTestAddTests)

function(gtest_discover_tests_impl)
  _gtest_discover_tests_impl(${ARGN})
  cmake_parse_arguments(ARG "" "CTEST_FILE" "" ${ARGN})
  file(READ "${ARG_CTEST_FILE}" cases)
  string(REPLACE "SKIP_REGULAR_EXPRESSION [==[\\[  SKIPPED \\]]==]" ""
         cases "${cases}")
  file(WRITE "${ARG_CTEST_FILE}" "${cases}")
endfunction()
