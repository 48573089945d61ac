#pragma once

// The checks of the fuzz targets. Under libFuzzer a failed check aborts, so
// the input is kept as a crash; replayed from the test suite, the failure is
// recorded and the target returns at once.

void fuzzCheckFailed(const char *file, int line, const char *condition);

#define FUZZ_CHECK(condition)                                                                      \
  do {                                                                                             \
    if (!(condition)) {                                                                            \
      fuzzCheckFailed(__FILE__, __LINE__, #condition);                                             \
      return 0;                                                                                    \
    }                                                                                              \
  } while (false)
