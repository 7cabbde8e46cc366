#include "checksum_syntax.h"

#include <vector>

namespace {
std::vector<std::string_view> SplitColons(std::string_view text)
{
    std::vector<std::string_view> parts;
    for (;;) {
        const size_t colon = text.find(':');
        parts.push_back(text.substr(0, colon));
        if (colon == std::string_view::npos)
            return parts;
        text.remove_prefix(colon + 1);
    }
}

// "FIRST-LAST" into the plan; false when it is not two addresses.
bool ParseRange(std::string_view text, ChecksumPlan& plan)
{
    const size_t dash = text.find('-');
    if (dash == std::string_view::npos)
        return false;
    plan.first = ParseChecksumAddress(text.substr(0, dash));
    plan.last = ParseChecksumAddress(text.substr(dash + 1));
    return plan.first != kNoAddress && plan.last != kNoAddress;
}
} // namespace

std::string ParseChecksumOption(std::string_view text, bool write, ChecksumPlan& plan)
{
    const std::string option = write ? "--checksum-write" : "--checksum";
    const std::vector<std::string_view> parts = SplitColons(text);
    if (std::string problem = ParseChecksumAlgorithm(parts[0], plan.algorithm); !problem.empty())
        return problem;
    size_t next = 1;
    if (write) {
        if (parts.size() < 2 || (plan.writeAt = ParseChecksumAddress(parts[1])) == kNoAddress)
            return option + " " + std::string(text) + ": the address to write at is missing or not hexadecimal";
        next = 2;
    }
    if (next < parts.size() && parts[next].find('-') != std::string_view::npos) {
        if (!ParseRange(parts[next], plan))
            return option + " " + std::string(text) + ": \"" + std::string(parts[next]) +
                   "\" is not a range FIRST-LAST of hexadecimal addresses";
        ++next;
    }
    if (write && next < parts.size() && (parts[next] == "le" || parts[next] == "be")) {
        plan.bigEndian = parts[next] == "be";
        ++next;
    }
    if (next < parts.size())
        return option + " " + std::string(text) + ": \"" + std::string(parts[next]) + "\" is not understood";
    if (write)
        return CheckChecksumWrite(plan.writeAt, plan.algorithm.ResultBytes());
    return {};
}
