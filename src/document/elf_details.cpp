#include "document/elf_details.h"

#include "settings/ansi_chars.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>

namespace {

std::string Hex(Address value)
{
    char text[24];
    std::snprintf(text, sizeof text, "%08" PRIX64, static_cast<uint64_t>(value));
    return text;
}
} // namespace

std::string SectionNames(const ElfInfo& info, Address first, Address last)
{
    // Sections lie by load address without overlapping, so those in the
    // range follow the first that ends after its start.
    const auto& sections = info.sections;
    auto it = std::upper_bound(sections.begin(), sections.end(), first, [](Address a, const ElfSection& s) {
        return a < s.loadAddress + s.size;
    });
    std::string names;
    size_t named = 0, more = 0;
    for (; it != sections.end() && it->loadAddress <= last; ++it) {
        if (named == kNamedSections) {
            ++more;
            continue;
        }
        if (named++ > 0)
            names += ", ";
        names += Quoted(it->name);
        if (it->runAddress != it->loadAddress)
            names += " (load address of " + Hex(it->runAddress) + ")";
    }
    if (more > 0)
        names += " and " + std::to_string(more) + " more";
    return names;
}

std::vector<size_t> MatchingSymbols(const ElfInfo& info, std::string_view filter)
{
    std::vector<size_t> found;
    for (size_t i = 0; i < info.symbols.size(); ++i) {
        const std::string& name = info.symbols[i].name;
        const auto hit = std::search(name.begin(), name.end(), filter.begin(), filter.end(),
                                     [](char a, char b) { return AsciiLower(a) == AsciiLower(b); });
        if (filter.empty() || hit != name.end())
            found.push_back(i);
    }
    return found;
}

std::string SymbolLine(const ElfSymbol& symbol)
{
    const bool loaded = symbol.loadAddress != kNoAddress;
    std::string line = Hex(loaded ? symbol.loadAddress : symbol.runAddress) + "  " + symbol.name + "  (" +
                       (symbol.function ? "function" : "object") + ", " + std::to_string(symbol.size) +
                       (symbol.size == 1 ? " byte" : " bytes");
    if (!loaded)
        line += ", not loaded";
    else if (symbol.loadAddress != symbol.runAddress)
        line += ", runs at " + Hex(symbol.runAddress);
    return line + ")";
}
