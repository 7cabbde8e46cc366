#include "support/checksum_check.h"

#include "buffer/data_buffer.h"
#include "document/checksum.h"
#include "checksum_syntax.h"
#include "document/checksum_plan.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

std::string CheckChecksumInput(const uint8_t* data, size_t size)
{
    const auto* end = static_cast<const uint8_t*>(std::memchr(data, '\n', size));
    if (!end)
        return {};
    std::string_view text(reinterpret_cast<const char*>(data), static_cast<size_t>(end - data));
    const bool write = !text.empty() && text[0] == '!';
    if (write)
        text.remove_prefix(1);
    ChecksumPlan plan;
    if (!ParseChecksumOption(text, write, plan).empty())
        return {};
    const uint8_t* rest = end + 1;
    size_t left = size - static_cast<size_t>(rest - data);
    if (left < 6)
        return {};
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
        return {};
    // Walking stays affordable: long ranges are cut to their first 4 MiB.
    plan.last = std::min<Address>(plan.last, plan.first + (4 << 20) - 1);
    std::vector<uint8_t> walked(static_cast<size_t>(plan.last - plan.first + 1));
    buffer.CopyOut(plan.first, static_cast<Address>(walked.size()), walked.data());
    const uint32_t computed = ComputeChecksum(plan.algorithm, buffer, plan.first, plan.last);
    const uint32_t read =
        ComputeChecksum(plan.algorithm, walked.data(), static_cast<Address>(walked.size()), plan.first);
    if (computed != read)
        return ChecksumLine(plan, computed) + " but walked " + FormatChecksum(read, plan.algorithm.width);
    return {};
}
