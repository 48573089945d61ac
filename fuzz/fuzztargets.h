#pragma once

// The fuzz targets, each a check of one reader over arbitrary input: run by
// libFuzzer (entry.cpp) and replayed by the test suite over the seeds and
// earlier findings. A failed check goes to fuzzCheckFailed().

#include <cstddef>
#include <cstdint>

extern "C" int fuzz_firstfield(const uint8_t *data, size_t size);
extern "C" int fuzz_tabsline(const uint8_t *data, size_t size);
extern "C" int fuzz_batchline(const uint8_t *data, size_t size);
