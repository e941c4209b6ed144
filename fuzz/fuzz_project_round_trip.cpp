#include "fuzz/targets.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, unsigned long size)
{
    pictavo::fuzz::projectRoundTrip(data, size);
    return 0;
}
