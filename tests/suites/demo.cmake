# The demo of `make demo`: its script, FTP server and simulated player run
# for real and the window follows them, headless. Needs the build's programs
# in the program folder, Debian's python3-pyftpdlib and ncftp.
huntmark_test(test_demo
  SOURCES test_demo.cpp
  LIBS huntmark_testsupport huntmark_fetch
  TIMEOUT 120)
target_compile_definitions(test_demo PRIVATE
  HUNTMARK_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
  HUNTMARK_BUILD_DIR="${CMAKE_BINARY_DIR}")
add_dependencies(test_demo huntmark-viewer huntmark-progress huntmark-ftpclient)
set_tests_properties(test_demo PROPERTIES LABELS desktop)
