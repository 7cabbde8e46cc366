#include "combine_option.h"
#include "conv_messages.h"

#include "buffer/data_buffer.h"
#include "document/buffer_document.h"
#include "document/image_steps.h"
#include "document/lane_files.h"

#include <cstdio>
#include <memory>


namespace {
std::string KeyOf(const std::string& name) { return InputKeyForName(name); }

// FILE@OFFSET: the offset in hex after 0x, else decimal, below after "-";
// a name whose part after its last "@" is no number is all name.
ConvOptions::OverlayFile ParseOverlay(const std::string& value, bool& bad)
{
    ConvOptions::OverlayFile file{value, 0};
    bad = false;
    const size_t at = value.rfind('@');
    if (at == std::string::npos)
        return file;
    std::string number = value.substr(at + 1);
    const bool negative = !number.empty() && number[0] == '-';
    if (negative)
        number.erase(0, 1);
    int base = 10;
    if (number.size() > 2 && number[0] == '0' && (number[1] == 'x' || number[1] == 'X')) {
        number = number.substr(2);
        base = 16;
    }
    const char* digits = base == 16 ? "0123456789abcdefABCDEF" : "0123456789";
    if (number.empty() || number.find_first_not_of(digits) != std::string::npos)
        return file;
    if (number.size() > 10) {
        bad = true;
        return file;
    }
    file.offset = static_cast<Address>(std::stoull(number, nullptr, base));
    bad = file.offset >= ODataBuffer::AddressLimit;
    if (negative)
        file.offset = -file.offset;
    file.path = value.substr(0, at);
    return file;
}

// Opens `path` as dravel-conv opens its input: a text format that fits no
// format is reported.
bool ReadImage(OBufferDocument& document, const std::string& path, int& reported)
{
    if (!document.Open(path))
        return false;
    const FileFormat keyFormat = FormatFromKey(document.FormatKey());
    if (keyFormat != ffUnknown && keyFormat != ffBinary && document.ReadFormat() == ffBinary) {
        ReportProblem("%s: not recognised as %s; read as binary", path.c_str(),
                     FormatName(keyFormat));
        ++reported;
    }
    return true;
}

// Replacing, the overlay's FF bytes are laid as well: in the overlay they
// are data like any other, and Overlay lays only the bytes that differ
// from the erased value.
void LayOverlayErasedBytes(OBufferDocument& document, const OBufferDocument& overlay, Address offset)
{
    overlay.DataAddresses().ForEach([&](Address first, Address last) {
        std::vector<uint8_t> bytes(static_cast<size_t>(last - first + 1));
        overlay.Data().CopyOut(first, last - first + 1, bytes.data());
        PutData(document, first + offset, bytes.data(), last - first + 1);
    });
}

void PrintRanges(const std::string& text)
{
    size_t from = 0;
    while (from < text.size()) {
        size_t end = text.find('\n', from);
        if (end == std::string::npos)
            end = text.size();
        std::fprintf(stderr, "  %s\n", text.substr(from, end - from).c_str());
        from = end + 1;
    }
}
} // namespace

int ParseCombineOption(int argc, const char* const* argv, int i, ConvOptions& options,
                       std::map<std::string, std::string>& given, std::string& problem)
{
    const std::string option = argv[i];
    if (option == "--interleave") {
        options.interleave = true;
        return 1;
    }
    if (option != "--split" && option != "--swap" && option != "--overlay" && option != "--overlap" &&
        option != "--lane-width")
        return 0;
    if (i + 1 >= argc) {
        problem = option + " needs a value";
        return 1;
    }
    const std::string value = argv[i + 1];
    if (option == "--overlay") {
        bool bad;
        options.overlays.push_back(ParseOverlay(value, bad));
        if (bad)
            problem = "--overlay " + value + ": the offset lies beyond the address space";
        else if (options.overlays.back().path.empty())
            problem = "--overlay needs a file name";
        return 2;
    }
    auto [it, fresh] = given.emplace(option, value);
    if (!fresh && it->second != value) {
        problem = "contradictory options " + option + " " + it->second + " and " + option + " " + value;
        return 2;
    }
    if (option == "--split") {
        problem = ParseLaneShape(value, options.split);
        if (!problem.empty())
            problem = "--split: " + problem;
    } else if (option == "--lane-width") {
        if (value == "1" || value == "2")
            options.laneWidth = value[0] - '0';
        else
            problem = "--lane-width takes 1 or 2, not \"" + value + "\"";
    } else if (option == "--swap") {
        if (value == "16" || value == "32")
            options.swap = value == "16" ? 16 : 32;
        else
            problem = "--swap takes 16 or 32, not \"" + value + "\"";
    } else if (!ParseOverlapPolicy(value, options.overlap)) {
        problem = "--overlap takes error, keep or replace, not \"" + value + "\"";
    }
    return 2;
}

std::string TakeCombineNames(const std::vector<std::string>& names, ConvOptions& options,
                             const std::map<std::string, std::string>& given)
{
    // --split with --info only says, with -v, what each lane would hold.
    const bool combining = options.interleave || options.swap != 0 || !options.overlays.empty() ||
                           given.count("--overlap") || given.count("--lane-width");
    if (options.info && combining)
        return "--info writes nothing; it does not go with --interleave, --swap or --overlay";
    if (given.count("--overlap") && options.overlays.empty())
        return "--overlap applies to --overlay";
    if (given.count("--lane-width") && !options.interleave)
        return "--lane-width applies to --interleave";
    if (options.interleave && options.split.lanes != 0)
        return "--interleave and --split do not go together";
    if (options.split.lanes != 0 && names.back() == "-")
        return "--split writes several files; it cannot write standard output";
    if (options.interleave) {
        const size_t lanes = names.size() - 1;
        if (lanes != 2 && lanes != 4)
            return "--interleave takes 2 or 4 input files, not " + std::to_string(lanes);
        options.lanes.assign(names.begin(), names.end() - 1);
        for (const std::string& lane : options.lanes)
            if (lane == "-")
                return "--interleave reads files, not standard input";
    }
    return {};
}

bool ReadLanes(DocumentHost& host, int& reported, const ConvOptions& options, OBufferDocument& document)
{
    const LaneShape shape{int(options.lanes.size()), options.laneWidth};
    std::vector<std::unique_ptr<OBufferDocument>> lanes;
    std::vector<const OBufferDocument*> order;
    for (const std::string& path : options.lanes) {
        lanes.push_back(std::make_unique<OBufferDocument>(host, std::string(), options.inKey));
        if (!ReadImage(*lanes.back(), path, reported))
            return false;
        order.push_back(lanes.back().get());
    }
    document.TakeMerged(order, shape);
    if (const std::string problem = LaneCoverageProblem(order, options.lanes); !problem.empty()) {
        ReportProblem("%s", problem.c_str());
        ++reported;
    }
    return true;
}

int CombineImages(DocumentHost& host, int& reported, const ConvOptions& options, OBufferDocument& document)
{
    bool overlapped = false;
    for (const ConvOptions::OverlayFile& file : options.overlays) {
        OBufferDocument overlay(host, std::string(), KeyOf(file.path));
        if (!ReadImage(overlay, file.path, reported))
            return 1;
        // Only the error policy lists the overlaps; the others would hold a
        // range per landing byte for nothing.
        const std::vector<AddressRange> overlaps = options.overlap == OverlapPolicy::error
                                                       ? OverlapRanges(document.Data(), overlay.Data(), file.offset)
                                                       : std::vector<AddressRange>();
        if (!overlaps.empty()) {
            ReportProblem("%s: %s", file.path.c_str(), kOverlapText);
            PrintRanges(RangeList(overlaps));
            overlapped = true;
        }
        const bool replace = options.overlap == OverlapPolicy::replace;
        if (!document.Overlay(overlay, file.offset, replace ? OverlapPolicy::replace : OverlapPolicy::keep)) {
            ReportProblem("%s: moved by %s%llX it reaches beyond the address space",
                         file.path.c_str(), file.offset < 0 ? "-" : "",
                         static_cast<unsigned long long>(file.offset < 0 ? -file.offset : file.offset));
            return 1;
        }
        if (replace)
            LayOverlayErasedBytes(document, overlay, file.offset);
    }
    if (overlapped) {
        ReportProblem("%s not written (--overlap keep or replace decides)",
                     options.output.c_str());
        return 1;
    }
    return 0;
}

void SwapImage(const ConvOptions& options, OBufferDocument& document)
{
    const Address first = document.Start();
    const Address last = document.End() - 1;
    const Address left = document.SwapBytes(first, last, options.swap / 8);
    if (const std::string notice = SwapRemainderNotice(first, last, options.swap / 8, left); !notice.empty())
        ReportProblem("%s", notice.c_str());
}

int WriteSplit(int& reported, const ConvOptions& options, OBufferDocument& document)
{
    const std::vector<std::string> names = LaneFileNames(options.output, options.split);
    if (const std::string problem = UnwritableProblem(names); !problem.empty()) {
        ReportProblem("%s", problem.c_str());
        return 1;
    }
    if (!options.force) {
        const std::vector<std::string> existing = ExistingFiles(names);
        for (const std::string& name : existing)
            ReportProblem("%s exists; nothing written (--force replaces it)", name.c_str());
        if (!existing.empty())
            return 1;
    }
    // Every lane has the lanes' shared window.
    Address laneFirst, laneCount;
    LaneWindow(document.Start(), document.Size(), options.split, laneFirst, laneCount);
    WriterOptions writer;
    writer.recordSize = options.recordSize;
    writer.lineEnd = options.lineEnd;
    if (FormatFromKey(options.outKey) == ffMotorola) {
        const std::string problem = ChooseSRecordAddressBytes(
            options, static_cast<uint32_t>(laneFirst + laneCount - 1), writer.srecAddressBytes);
        if (!problem.empty()) {
            ReportProblem("%s (of %s)", problem.c_str(), names.front().c_str());
            return 2;
        }
    }
    document.SetSaveAllOrNothing(!options.force);
    if (const std::string problem = WriteLaneFiles(document, names, options.outKey, options.split, writer);
        !problem.empty()) {
        ReportProblem("%s", problem.c_str());
        return 1;
    }
    return reported != 0 ? 1 : 0;
}
