#include "checksum_option.h"
#include "checksum_syntax.h"
#include "conv_messages.h"

#include "document/buffer_document.h"
#include "buffer/data_buffer.h"
#include "document/checksum_plan.h"
#include "document/image_steps.h"

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

namespace {
// A range the user gave may lie anywhere in the address space (addresses
// without data count as FF); without one the plan covers the window as it
// is when the plan runs.
std::string Resolve(ChecksumPlan& plan, const OBufferDocument& document, std::string* notice)
{
    if (plan.first == kNoAddress)
        return ResolveChecksumPlan(plan, document.Start(), document.End(), notice);
    if (plan.last >= ODataBuffer::AddressLimit || plan.first >= ODataBuffer::AddressLimit) {
        char range[48];
        std::snprintf(range, sizeof range, "%08llx-%08llx", static_cast<unsigned long long>(plan.first),
                      static_cast<unsigned long long>(plan.last));
        return std::string("the range ") + range + " reaches past address ffffffff";
    }
    return ResolveChecksumPlan(plan, 0, ODataBuffer::AddressLimit, notice);
}
} // namespace

int RunChecksumOptions(OBufferDocument& document, const ConvOptions& options, FILE* lines)
{
    // Each write sees the results of the ones before it; its result is data.
    for (ChecksumPlan plan : options.checksumWrites) {
        std::string notice;
        if (std::string problem = Resolve(plan, document, &notice); !problem.empty()) {
            ReportProblem("--checksum-write %s: %s; nothing written",
                         plan.algorithm.name.c_str(), problem.c_str());
            return 2;
        }
        if (!notice.empty())
            ReportProblem("--checksum-write %s: %s", plan.algorithm.name.c_str(),
                         notice.c_str());
        const uint32_t value = ComputeChecksum(plan.algorithm, document.Data(), plan.first, plan.last);
        const std::vector<uint8_t> bytes = ChecksumBytes(value, plan.algorithm.ResultBytes(), plan.bigEndian);
        PutData(document, plan.writeAt, bytes.data(), static_cast<Address>(bytes.size()));
    }
    std::vector<ChecksumPlan> sums = options.checksums;
    for (ChecksumPlan& plan : sums)
        if (std::string problem = Resolve(plan, document, nullptr); !problem.empty()) {
            ReportProblem("--checksum %s: %s; nothing written", plan.algorithm.name.c_str(),
                         problem.c_str());
            return 2;
        }
    for (const ChecksumPlan& plan : sums)
        std::fprintf(lines, "%s\n", ChecksumLine(plan, RunChecksum(document, plan)).c_str());
    return 0;
}
