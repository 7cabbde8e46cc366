#include "formats/output_size.h"

#include <cstdio>

bool SizeFollowsSpan(FileFormat format)
{
    return format == ffBinary || format == ffPlainHex || format == ffUnknown;
}

std::string ImageSizeText(Address end)
{
    const Address size = ImageSize(end);
    char text[96];
    std::snprintf(text, sizeof text, "%lld bytes (from %08llx to %08llx)", static_cast<long long>(size), 0ULL,
                  static_cast<unsigned long long>(size > 0 ? size - 1 : 0));
    return text;
}

std::string OutputSizeProblem(std::string_view name, FileFormat format, Address end)
{
    if (!SizeFollowsSpan(format) || ImageSize(end) <= kForceOutputAbove)
        return {};
    return std::string(name) + " would hold " + ImageSizeText(end) + "; use --force";
}

std::string SaveSizeQuestion(FileFormat format, Address end)
{
    if (!SizeFollowsSpan(format) || ImageSize(end) <= kAskOutputAbove)
        return {};
    return std::string("The ") + (format == ffPlainHex ? "plain hex" : "binary") + " file will hold " +
           ImageSizeText(end) + ". Save it?";
}
