// The checksum options and plans on any text, and the gap arithmetic on any
// sparse image: the result over a range must equal the same bytes walked
// one by one, whatever the algorithm, range and gaps.
//
// Input: one line of option text ("crc32:10-2f", with a first byte of
// '!' for --checksum-write), then two 3-byte addresses, then the bytes
// written at both of them.

#include "buffer/data_buffer.h"
#include "document/checksum.h"
#include "document/checksum_plan.h"

#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto* end = static_cast<const uint8_t*>(std::memchr(data, '\n', size));
    if (!end)
        return 0;
    std::string_view text(reinterpret_cast<const char*>(data), static_cast<size_t>(end - data));
    const bool write = !text.empty() && text[0] == '!';
    if (write)
        text.remove_prefix(1);
    ChecksumPlan plan;
    if (!ParseChecksumOption(text, write, plan).empty())
        return 0;
    const uint8_t* rest = end + 1;
    size_t left = size - static_cast<size_t>(rest - data);
    if (left < 6)
        return 0;
    const Address a = rest[0] << 16 | rest[1] << 8 | rest[2];
    const Address b = rest[3] << 16 | rest[4] << 8 | rest[5];
    rest += 6;
    left -= 6;
    ODataBuffer buffer;
    buffer.SetPosition(a);
    buffer.PutBlock(rest, static_cast<Address>(left / 2));
    buffer.SetPosition(b);
    buffer.PutBlock(rest + left / 2, static_cast<Address>(left - left / 2));
    std::string notice;
    if (!ResolveChecksumPlan(plan, buffer.Start(), buffer.End(), &notice).empty())
        return 0;
    // Walking stays affordable: long ranges are cut to their first 4 MiB.
    plan.last = std::min<Address>(plan.last, plan.first + (4 << 20) - 1);
    std::vector<uint8_t> walked(static_cast<size_t>(plan.last - plan.first + 1));
    buffer.CopyOut(plan.first, static_cast<Address>(walked.size()), walked.data());
    const uint32_t computed = ComputeChecksum(plan.algorithm, buffer, plan.first, plan.last);
    if (computed != ComputeChecksum(plan.algorithm, walked.data(), static_cast<Address>(walked.size()), plan.first))
        __builtin_trap();
    return 0;
}
