// libFuzzer's entry point for the target a fuzzer is built for.
#include "fuzztargets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    return HUNTMARK_FUZZ_TARGET(data, size);
}
