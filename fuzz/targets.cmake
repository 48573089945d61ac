# The fuzz targets as a library that the libFuzzer programs (CMakeLists.txt
# here) and the ordinary build's fuzz_regressions both link. The including
# project provides huntmark_progress, huntmark_tabmemory and huntmark_batch, and each program
# its own fuzzCheckFailed().
add_library(huntmark_fuzztargets STATIC
  ${CMAKE_CURRENT_LIST_DIR}/fuzztargets.h
  ${CMAKE_CURRENT_LIST_DIR}/fuzzcheck.h
  ${CMAKE_CURRENT_LIST_DIR}/reference.h
  ${CMAKE_CURRENT_LIST_DIR}/fuzz_firstfield.cpp
  ${CMAKE_CURRENT_LIST_DIR}/fuzz_tabsline.cpp
  ${CMAKE_CURRENT_LIST_DIR}/fuzz_batchline.cpp)
target_include_directories(huntmark_fuzztargets PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(huntmark_fuzztargets PUBLIC huntmark_progress huntmark_tabmemory huntmark_batch)
