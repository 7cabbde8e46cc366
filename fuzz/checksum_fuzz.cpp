// The checksum options and plans on any text, and the gap arithmetic on any
// sparse image: the result over a range must equal the same bytes walked
// one by one, whatever the algorithm, range and gaps.

#include "support/checksum_check.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (!CheckChecksumInput(data, size).empty())
        __builtin_trap();
    return 0;
}
