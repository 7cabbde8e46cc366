// Feeds arbitrary bytes through the reading converter with the keys of one
// format family, by the reading protocol and by draining every byte.

#include "support/convert_helpers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::vector<std::string_view> keys = FuzzKeys("ahx_rca");
    DrainAllKeys(data, size, keys);
    return 0;
}
