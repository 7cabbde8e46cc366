#pragma once
// What the editor and the converter show of an ELF file beside its bytes:
// the sections each written range holds, and the symbols to go to.

#include "buffer/address.h"
#include "document/buffer_document.h"
#include "formats/elf_image.h"

#include <string>
#include <string_view>
#include <vector>

// The sections whose bytes lie in first..last, lowest first: ".text,
// .rodata"; one that runs elsewhere says where: ".data (load address of
// 20000000)". After kNamedSections names the rest are counted ("and 12
// more"). Empty when none.
constexpr size_t kNamedSections = 6;
std::string SectionNames(const ElfInfo& info, Address first, Address last);

// The symbols whose names hold `filter` (ignoring case), by name: indexes
// into info.symbols.
std::vector<size_t> MatchingSymbols(const ElfInfo& info, std::string_view filter);

// "08000124  main  (function, 64 bytes)"; a symbol outside the loaded
// sections shows its run address: "20000010  counter  (object, 4 bytes, not
// loaded)".
std::string SymbolLine(const ElfSymbol& symbol);
