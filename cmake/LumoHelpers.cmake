# One helper per kind of target, so every target gets the same warnings and layout.

set(LUMO_WARNINGS -Wall -Wextra -Werror)

# lumo_library(NAME SHARED|STATIC BUILD_MACRO <macro> SOURCES ... [PUBLIC_DEPS ...] [PRIVATE_DEPS ...])
# BUILD_MACRO is defined while the library's own sources compile, selecting the export side of its
# export macro.
function(lumo_library name kind)
  cmake_parse_arguments(ARG "" "BUILD_MACRO" "SOURCES;PUBLIC_DEPS;PRIVATE_DEPS" ${ARGN})
  add_library(${name} ${kind} ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC
    $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/include>
    $<INSTALL_INTERFACE:include>)
  # Calls between a library's own exported functions go direct (and may inline): nothing
  # interposes on them.
  target_compile_options(${name} PRIVATE ${LUMO_WARNINGS} -fno-semantic-interposition)
  if(ARG_BUILD_MACRO)
    target_compile_definitions(${name} PRIVATE ${ARG_BUILD_MACRO})
  endif()
  target_link_libraries(${name} PUBLIC ${ARG_PUBLIC_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
  set_target_properties(${name} PROPERTIES VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR})
endfunction()

# lumo_test(NAME SOURCES ... DEPS ... [LABELS ...] [WHOLE_PROGRAM]): a GoogleTest program whose
# tests CTest lists one by one, carrying the given CTest labels. WHOLE_PROGRAM makes the program
# one CTest test instead, for suites that share an expensive fixture (a database server) across
# the program.
function(lumo_test name)
  cmake_parse_arguments(ARG "WHOLE_PROGRAM" "" "SOURCES;DEPS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE ${LUMO_WARNINGS})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} lumo_test_support GTest::gmock GTest::gtest_main)
  set(environment "LUMO_TEST_DATA=${PROJECT_SOURCE_DIR}/tests/data")
  if(ARG_WHOLE_PROGRAM)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${environment}" LABELS "${ARG_LABELS}")
  else()
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
      PROPERTIES ENVIRONMENT "${environment}" LABELS "${ARG_LABELS}")
  endif()
endfunction()

# lumo_benchmark(NAME SOURCES ... DEPS ...): a Google Benchmark program.
function(lumo_benchmark name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE ${LUMO_WARNINGS})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} benchmark::benchmark_main)
endfunction()

# lumo_fuzz(NAME SOURCES ... DEPS ...): a libFuzzer target; only in a clang build with
# LUMO_BUILD_FUZZERS.
function(lumo_fuzz name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE ${LUMO_WARNINGS})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  set_property(GLOBAL APPEND PROPERTY LUMO_FUZZ_TARGETS ${name})
endfunction()
