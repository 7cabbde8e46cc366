#include "document/checksum_plan.h"

#include "buffer/data_buffer.h"
#include "document/buffer_document.h"
#include "settings/hex_digit.h"

#include <algorithm>
#include <cstdio>

namespace {
std::string Hex8(Address address)
{
    char text[24];
    std::snprintf(text, sizeof text, "%08llx", static_cast<unsigned long long>(address));
    return text;
}

} // namespace

std::string CheckChecksumRange(Address first, Address last, Address start, Address end)
{
    if (first > last)
        return "the range " + Hex8(first) + "-" + Hex8(last) + " is reversed: its first address is above its last";
    if (first < start || last >= end)
        return "the range " + Hex8(first) + "-" + Hex8(last) + " lies outside the window " +
               (end > start ? Hex8(start) + "-" + Hex8(end - 1) : "(the buffer is empty)");
    return {};
}

std::string CheckChecksumWrite(Address at, int bytes)
{
    if (at < 0 || at + bytes > ODataBuffer::AddressLimit)
        return "the result would end past address " + Hex8(ODataBuffer::AddressLimit - 1);
    return {};
}

bool WritesInsideRange(const ChecksumPlan& plan)
{
    return plan.writeAt != kNoAddress && plan.writeAt <= plan.last &&
           plan.writeAt + plan.algorithm.ResultBytes() - 1 >= plan.first;
}

std::vector<uint8_t> ChecksumBytes(uint32_t value, int bytes, bool bigEndian)
{
    std::vector<uint8_t> out(static_cast<size_t>(bytes));
    for (int i = 0; i < bytes; ++i)
        out[static_cast<size_t>(bigEndian ? bytes - 1 - i : i)] = static_cast<uint8_t>(value >> (8 * i));
    return out;
}

Address ParseChecksumAddress(std::string_view text)
{
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text.remove_prefix(2);
    if (text.empty() || text.size() > 16)
        return kNoAddress;
    Address value = 0;
    for (char c : text) {
        const int digit = HexDigitValue(c);
        if (digit < 0)
            return kNoAddress;
        // Anything past 40 bits is past the address space all the same.
        value = std::min<Address>(value * 16 + digit, Address{1} << 40);
    }
    return value;
}

std::string ResolveChecksumPlan(ChecksumPlan& plan, Address start, Address end, std::string* notice)
{
    if (plan.first == kNoAddress) {
        if (end <= start)
            return "the buffer is empty: there is nothing to check";
        plan.first = start;
        plan.last = end - 1;
    }
    if (std::string problem = CheckChecksumRange(plan.first, plan.last, start, end); !problem.empty())
        return problem;
    if (plan.writeAt != kNoAddress) {
        if (std::string problem = CheckChecksumWrite(plan.writeAt, plan.algorithm.ResultBytes()); !problem.empty())
            return problem;
        if (notice && WritesInsideRange(plan))
            *notice = kWrittenInsideRangeText;
    }
    return {};
}

std::optional<uint32_t> DocumentChecksum(OBufferDocument& document, const ChecksumAlgorithm& algorithm,
                                         Address first, Address last)
{
    // Gaps cost nothing whatever their length; a slice of written bytes
    // takes a few milliseconds.
    constexpr Address kSlice = Address{1} << 22;
    OChecksummer sum(algorithm, first);
    const Address total = last - first + 1;
    const bool done = document.RunStoppable(total, [&](Address from) {
        const Address n = std::min(kSlice, total - from);
        document.Data().ForEachSpan(first + from, n, [&sum](const uint8_t* bytes, Address count) {
            if (bytes)
                sum.Update(bytes, count);
            else
                sum.UpdateErased(count);
        });
        return from + n;
    });
    return done ? std::optional<uint32_t>(sum.Value()) : std::nullopt;
}

void WriteChecksum(OBufferDocument& document, const ChecksumPlan& plan, uint32_t value)
{
    if (plan.writeAt == kNoAddress)
        return;
    const std::vector<uint8_t> bytes = ChecksumBytes(value, plan.algorithm.ResultBytes(), plan.bigEndian);
    document.WriteBlock(bytes.data(), plan.writeAt, plan.algorithm.ResultBytes());
}

uint32_t RunChecksum(OBufferDocument& document, const ChecksumPlan& plan)
{
    const std::optional<uint32_t> value = DocumentChecksum(document, plan.algorithm, plan.first, plan.last);
    if (value)
        WriteChecksum(document, plan, *value);
    return value.value_or(0);
}

std::string ChecksumLine(const ChecksumPlan& plan, uint32_t value)
{
    return plan.algorithm.name + " " + Hex8(plan.first) + "-" + Hex8(plan.last) + " " +
           FormatChecksum(value, plan.algorithm.width);
}
