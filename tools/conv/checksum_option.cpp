#include "checksum_option.h"

#include "document/buffer_document.h"
#include "document/checksum_plan.h"

std::string AddChecksumOption(std::string_view option, std::string_view value, ConvOptions& options)
{
    const bool write = option == "--checksum-write";
    if (!write && value == "list") {
        options.checksumList = true;
        return {};
    }
    ChecksumPlan plan;
    if (std::string problem = ParseChecksumOption(value, write, plan); !problem.empty())
        return problem;
    (write ? options.checksumWrites : options.checksums).push_back(plan);
    return {};
}

void PrintChecksumList(FILE* to)
{
    for (const ChecksumAlgorithm& algorithm : ChecksumCatalogue())
        std::fprintf(to, "%-16s %2d bits, check %s\n", algorithm.name.c_str(), algorithm.width,
                     FormatChecksum(algorithm.check, algorithm.width).c_str());
    std::fprintf(to, "%s\n", "width=W,poly=P,init=I,refin=B,refout=B,xorout=X  any CRC of 8, 16 or 32 bits");
}

int RunChecksumOptions(OBufferDocument& document, const ConvOptions& options, FILE* lines)
{
    // Every write is checked against the window as read before the first
    // one changes anything.
    std::vector<ChecksumPlan> writes = options.checksumWrites;
    for (ChecksumPlan& plan : writes) {
        std::string notice;
        if (std::string problem = ResolveChecksumPlan(plan, document.Start(), document.End(), &notice);
            !problem.empty()) {
            std::fprintf(stderr, "dravel-conv: --checksum-write %s: %s; nothing written\n",
                         plan.algorithm.name.c_str(), problem.c_str());
            return 2;
        }
        if (!notice.empty())
            std::fprintf(stderr, "dravel-conv: --checksum-write %s: %s\n", plan.algorithm.name.c_str(),
                         notice.c_str());
    }
    for (const ChecksumPlan& plan : writes)
        RunChecksum(document, plan);
    std::vector<ChecksumPlan> sums = options.checksums;
    for (ChecksumPlan& plan : sums)
        if (std::string problem = ResolveChecksumPlan(plan, document.Start(), document.End()); !problem.empty()) {
            std::fprintf(stderr, "dravel-conv: --checksum %s: %s; nothing written\n", plan.algorithm.name.c_str(),
                         problem.c_str());
            return 2;
        }
    for (const ChecksumPlan& plan : sums)
        std::fprintf(lines, "%s\n", ChecksumLine(plan, RunChecksum(document, plan)).c_str());
    return 0;
}
