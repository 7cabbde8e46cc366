#include "document/export_options.h"

#include "document/saved_ranges.h"

std::string PrepareExport(OBufferDocument& document, FileFormat format, std::string_view path,
                          WriterOptions& options, std::string& nameStorage)
{
    if (format == ffMif)
        options.depth = document.End();
    if (format != ffCArray)
        return {};
    // The array is named after the file: "rom-v2.c" holds rom_v2.
    std::string_view stem = path == "-" ? std::string_view() : path;
    if (const size_t slash = stem.rfind('/'); slash != std::string_view::npos)
        stem.remove_prefix(slash + 1);
    if (const size_t dot = stem.find('.'); dot != std::string_view::npos)
        stem = stem.substr(0, dot);
    bool changed = false;
    nameStorage = CArrayName(stem, &changed);
    options.arrayName = nameStorage;
    options.singleRange = document.SavedRanges().size() == 1;
    if (!changed || stem.empty())
        return {};
    return "array name \"" + std::string(stem) + "\" is not a C identifier; written as " + nameStorage;
}
