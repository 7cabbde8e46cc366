// Feeds arbitrary bytes to the ELF reader, through the reading converter as
// a load does and directly, walking what it reports of sections and symbols
// as the ranges pane and Go to symbol do.

#include "document/elf_details.h"
#include "formats/elf_image.h"
#include "support/convert_helpers.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::vector<std::string_view> keys = FuzzKeys("elf");
    DrainAllKeys(data, size, keys);
    // Inputs without the magic get it, so that every run reaches libelf.
    std::vector<unsigned char> file(data, data + size);
    if (file.size() >= 4)
        std::memcpy(file.data(), "\x7f" "ELF", 4);
    ElfImage image;
    image.Read(std::move(file));
    size_t seen = 0;
    for (const ElfImage::Run& run : image.Runs())
        seen += SectionNames(*image.Info(), run.address, run.address + Address(run.size) - 1).size();
    for (size_t index : MatchingSymbols(*image.Info(), "a"))
        seen += SymbolLine(image.Info()->symbols[index]).size();
    return seen == 0 ? 0 : 0;
}
