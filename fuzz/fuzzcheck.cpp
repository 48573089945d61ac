#include "fuzzcheck.h"

#include <cstdio>
#include <cstdlib>

void fuzzCheckFailed(const char *file, int line, const char *condition)
{
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, condition);
    std::abort();
}
