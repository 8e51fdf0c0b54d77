# Helpers shared by the folders' CMakeLists.
include(GoogleTest)

# kelvane_folder(<library> [DEPS <targets...>] [TEST_DEPS <targets...>]
#                [TEST_SOURCES <files...>] [PROTOS <schemas...>]
#                [RESOURCE_LOCK <name> LOCKED_TESTS <Suite.Case...>])
#
# One folder, one static library of its *.cc files. Besides them:
#   *_test.cc        GoogleTest sources, built into one program <library>_tests
#                    run under Wine; every test case is one ctest test.
#   *_test_child.cc  small programs a test starts as a second process; each is
#                    built as <file stem>.exe beside the test program.
#   *_main.cc        program entries, declared by the folder itself.
# PROTOS names schemas whose generated code becomes part of the library.
# LOCKED_TESTS names test cases that change something machine-wide (such as
# the product's values under HKEY_LOCAL_MACHINE); ctest runs no two cases
# holding the same RESOURCE_LOCK at once, in any folder, while all other
# cases still run in parallel.
# A folder without library sources yet gets an interface library, so that the
# target already exists for its dependents.
function(kelvane_folder library)
  cmake_parse_arguments(ARG "" "RESOURCE_LOCK"
                        "DEPS;TEST_DEPS;TEST_SOURCES;PROTOS;LOCKED_TESTS" ${ARGN})
  file(GLOB all_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cc)
  set(sources)
  set(tests)
  set(children)
  foreach(src ${all_sources})
    if(src MATCHES "_test\\.cc$")
      list(APPEND tests ${src})
    elseif(src MATCHES "_test_child\\.cc$")
      list(APPEND children ${src})
    elseif(NOT src MATCHES "_main\\.cc$")
      list(APPEND sources ${src})
    endif()
  endforeach()

  if(sources OR ARG_PROTOS)
    add_library(${library} STATIC ${sources})
    target_link_libraries(${library} PUBLIC ${ARG_DEPS})
    if(ARG_PROTOS)
      kelvane_protos(${library} ${ARG_PROTOS})
    endif()
  else()
    add_library(${library} INTERFACE)
    target_link_libraries(${library} INTERFACE ${ARG_DEPS})
  endif()

  if(tests)
    set(test_program ${library}_tests)
    add_executable(${test_program} ${tests} ${ARG_TEST_SOURCES})
    target_link_libraries(${test_program} PRIVATE
      ${library} ${ARG_TEST_DEPS} ime_testing gmock gtest_main)
    foreach(child ${children})
      get_filename_component(child_name ${child} NAME_WE)
      add_executable(${child_name} ${child})
      target_link_libraries(${child_name} PRIVATE ${library} ${ARG_TEST_DEPS} ime_testing)
      add_dependencies(${test_program} ${child_name})
    endforeach()
    set(lock)
    if(ARG_LOCKED_TESTS)
      set(lock RESOURCE_LOCK ${ARG_RESOURCE_LOCK} LOCKED_TESTS ${ARG_LOCKED_TESTS})
    endif()
    kelvane_discover_tests(${test_program} ${lock})
  endif()
  set_property(GLOBAL APPEND PROPERTY KELVANE_LIBRARIES ${library})
endfunction()

# The test cases that may be reported as skipped, each with the reason it
# gives when it skips; read here and by scripts/check_skipped_tests.sh.
set(KELVANE_ALLOWED_SKIPS ${CMAKE_CURRENT_LIST_DIR}/allowed_test_skips.txt)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
  ${KELVANE_ALLOWED_SKIPS})
set(KELVANE_GTEST_DISCOVERY ${CMAKE_CURRENT_LIST_DIR}/gtest_discovery.cmake)
# Runs the cases that may skip; see kelvane_discover_tests.
set(KELVANE_SKIP_RUNNER ${CMAKE_SOURCE_DIR}/scripts/run_allowed_skips.sh)
# What GoogleTest prints for a case that did not run, for ctest a failure in
# every test that runs GoogleTest cases.
set(KELVANE_SKIP_MARK "\\[  SKIPPED \\]")
# The exit code of a case that skipped for its allowed reason and nothing
# else went wrong (scripts/run_allowed_skips.sh).
set(KELVANE_ALLOWED_SKIP_CODE 77)

# kelvane_discover_tests(<test program> [PROPERTIES <name> <value>...]
#                        [RESOURCE_LOCK <name> [LOCKED_TESTS <Suite.Case...>]]
#                        [ALLOWED_SKIPS <Suite.Case>|<reason>...])
#
# Every GoogleTest case of the program becomes one ctest test (time-out
# 120 s), with the given properties. RESOURCE_LOCK holds the lock in the
# cases LOCKED_TESTS names, or in every case without LOCKED_TESTS.
#
# A case that did not run fails. GoogleTest reports GTEST_SKIP as a success
# (exit code 0), and when the program's global set-up fails it marks every
# case skipped (exit code 1); the skip pattern gtest_discover_tests gives
# every case would turn either into a ctest "Skipped", which ctest does not
# count as a failure. A pattern given in PROPERTIES cannot replace it: ctest
# adds each skip pattern it reads to the case's list. So the cases are
# discovered by gtest_discovery.cmake, which takes that pattern out, and
# GoogleTest's skip mark is a failure pattern.
#
# The cases named in allowed_test_skips.txt (and in ALLOWED_SKIPS) may still
# skip, for their reason only, and only when nothing else went wrong: ctest
# lets a skip pattern win over a failure pattern and over the exit code, so
# a case that skipped and then failed (in its TearDown, or crashing on the
# way out) would be reported skipped. Their program is therefore run through
# scripts/run_allowed_skips.sh, which gives the exit code ctest reads as a
# skip (SKIP_RETURN_CODE) to a clean skip for the case's reason only, and
# passes every other outcome through.
function(kelvane_discover_tests program)
  cmake_parse_arguments(ARG "" "RESOURCE_LOCK"
                        "PROPERTIES;LOCKED_TESTS;ALLOWED_SKIPS" ${ARGN})
  set(properties TIMEOUT 120 ${ARG_PROPERTIES})
  if(ARG_RESOURCE_LOCK AND NOT ARG_LOCKED_TESTS)
    list(APPEND properties RESOURCE_LOCK ${ARG_RESOURCE_LOCK})
  endif()

  # "<Suite.Case>|<reason>" of the cases of this program that may skip.
  set(allowed_skips ${ARG_ALLOWED_SKIPS})
  file(STRINGS ${KELVANE_ALLOWED_SKIPS} entries REGEX "^[^#]")
  foreach(entry ${entries})
    if(entry MATCHES "^${program}\\|(.*)$")
      list(APPEND allowed_skips "${CMAKE_MATCH_1}")
    endif()
  endforeach()
  set(skippable_cases)
  set(runner_arguments)
  foreach(entry ${allowed_skips})
    if(NOT entry MATCHES "^([^|]+)\\|(.+)$")
      message(FATAL_ERROR "${program}: an allowed skip is "
                          "<Suite.Case>|<reason>, not \"${entry}\"")
    endif()
    list(APPEND skippable_cases "${CMAKE_MATCH_1}")
    list(APPEND runner_arguments "${CMAKE_MATCH_1}" "${CMAKE_MATCH_2}")
  endforeach()
  if(skippable_cases)
    # The runner comes before the program (and the emulator the program
    # already runs under) in every case's command, and in the listing of
    # the cases.
    get_property(emulator TARGET ${program} PROPERTY CROSSCOMPILING_EMULATOR)
    set_property(TARGET ${program} PROPERTY CROSSCOMPILING_EMULATOR
      bash ${KELVANE_SKIP_RUNNER} ${runner_arguments} -- ${emulator})
  endif()

  # The script gtest_discover_tests has ctest run to list the cases
  # (GoogleTest.cmake's own variable, seen by the call below only).
  set(_GOOGLETEST_DISCOVER_TESTS_SCRIPT ${KELVANE_GTEST_DISCOVERY})
  gtest_discover_tests(${program}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 120
    PROPERTIES ${properties} FAIL_REGULAR_EXPRESSION "${KELVANE_SKIP_MARK}")

  # The cases are known only when ctest discovers them, so the properties of
  # single cases are set by a file that ctest reads after the discovered list.
  set(per_case "")
  if(ARG_LOCKED_TESTS)
    string(APPEND per_case "set_tests_properties(${ARG_LOCKED_TESTS} "
                           "PROPERTIES RESOURCE_LOCK ${ARG_RESOURCE_LOCK})\n")
  endif()
  foreach(case ${skippable_cases})
    string(APPEND per_case "set_tests_properties([==[${case}]==] PROPERTIES "
                           "SKIP_RETURN_CODE ${KELVANE_ALLOWED_SKIP_CODE})\n")
  endforeach()
  if(per_case)
    set(per_case_file ${CMAKE_CURRENT_BINARY_DIR}/${program}_cases.cmake)
    file(WRITE ${per_case_file} "${per_case}")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${per_case_file})
  endif()
endfunction()

# kelvane_add_program_test(NAME <name> COMMAND <command...>
#                          [PROPERTIES <name> <value>...])
#
# One ctest test that runs a whole GoogleTest program (time-out 120 s unless
# PROPERTIES gives another), for programs that need a command of their own
# around them, such as a Wine prefix of their own. As for the cases of
# kelvane_discover_tests, a case that did not run fails the test: GoogleTest
# ends a program whose cases skipped with exit code 0.
function(kelvane_add_program_test)
  cmake_parse_arguments(ARG "" "NAME" "COMMAND;PROPERTIES" ${ARGN})
  add_test(NAME ${ARG_NAME} COMMAND ${ARG_COMMAND})
  set_tests_properties(${ARG_NAME} PROPERTIES TIMEOUT 120 ${ARG_PROPERTIES}
    FAIL_REGULAR_EXPRESSION "${KELVANE_SKIP_MARK}")
endfunction()

# kelvane_protos(<target> <schema files...>)
# Generates C++ from the schemas with the host protoc (same release as the
# cross-built library) into the build tree, under the schemas' own paths.
# The last extension is dropped to name the output, as protoc itself does for
# ".proto" and ".protodevel": a/b.protodevel gives a/b.pb.h and a/b.pb.cc.
function(kelvane_protos target)
  set(srcs)
  foreach(proto ${ARGN})
    get_filename_component(abs ${proto} ABSOLUTE)
    file(RELATIVE_PATH rel ${CMAKE_SOURCE_DIR} ${abs})
    string(REGEX REPLACE "\\.[^.]*$" "" stem ${rel})
    set(cc ${CMAKE_BINARY_DIR}/${stem}.pb.cc)
    set(h ${CMAKE_BINARY_DIR}/${stem}.pb.h)
    add_custom_command(
      OUTPUT ${cc} ${h}
      COMMAND ${KELVANE_PROTOC} --proto_path=${CMAKE_SOURCE_DIR}
              --cpp_out=${CMAKE_BINARY_DIR} ${abs}
      DEPENDS ${abs}
      COMMENT "protoc ${rel}")
    list(APPEND srcs ${cc})
  endforeach()
  target_sources(${target} PRIVATE ${srcs})
  target_link_libraries(${target} PUBLIC protobuf::libprotobuf)
endfunction()
