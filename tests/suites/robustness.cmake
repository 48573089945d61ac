# Reliability and security: damaged inputs, a long run of refreshes, the
# script file and its helper, and the inputs the fuzzers found.

# The window suites for damaged inputs use the shared driver.
function(huntmark_bad_input_test name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "" ${ARGN})
  huntmark_test(${name} SOURCES ${name}.cpp LIBS huntmark_testsupport huntmark_fetch TIMEOUT ${ARG_TIMEOUT})
endfunction()

huntmark_bad_input_test(test_security TIMEOUT 180)
# The soak run's download client is a program of its own: a shell script per
# download would cost more than everything else in a cycle.
add_executable(huntmark-soak-client soak_client.cpp)
# The default run takes seconds; `make soak-long` lifts QtTest's own limit.
huntmark_bad_input_test(test_soak TIMEOUT 300)
target_compile_definitions(test_soak PRIVATE HUNTMARK_SOAK_CLIENT="$<TARGET_FILE:huntmark-soak-client>")
add_dependencies(test_soak huntmark-soak-client)

# The fuzz targets' checks over their seeds and findings, built with the
# ordinary compiler: each target's entry point gets a name of its own.
set(HUNTMARK_FUZZ_DIR ${PROJECT_SOURCE_DIR}/fuzz)
foreach(target firstfield tabsline batchline)
  set_source_files_properties(${HUNTMARK_FUZZ_DIR}/fuzz_${target}.cpp
    PROPERTIES COMPILE_DEFINITIONS "LLVMFuzzerTestOneInput=fuzz_${target}")
endforeach()
huntmark_test(fuzz_regressions
  SOURCES fuzz_regressions.cpp
    ${HUNTMARK_FUZZ_DIR}/fuzz_firstfield.cpp
    ${HUNTMARK_FUZZ_DIR}/fuzz_tabsline.cpp
    ${HUNTMARK_FUZZ_DIR}/fuzz_batchline.cpp
    ${HUNTMARK_FUZZ_DIR}/fuzzcheck.h
    ${HUNTMARK_FUZZ_DIR}/reference.h
  LIBS huntmark_progress huntmark_tabmemory huntmark_batch)
target_include_directories(fuzz_regressions PRIVATE ${HUNTMARK_FUZZ_DIR})
target_compile_definitions(fuzz_regressions PRIVATE HUNTMARK_FUZZ_DIR="${HUNTMARK_FUZZ_DIR}")
