#include "formats/elf_image.h"

#include <gelf.h>
#include <libelf.h>

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <utility>

namespace {
constexpr uint64_t kAddressSpace = uint64_t{1} << 32;

std::string Hex(uint64_t value)
{
    char text[24];
    std::snprintf(text, sizeof text, "%08" PRIX64, value);
    return text;
}

std::string LibelfReason() { return elf_errmsg(-1) ? elf_errmsg(-1) : "unknown reason"; }

class ElfHandle {
public:
    explicit ElfHandle(Elf* elf) : elf_(elf) {}
    ~ElfHandle()
    {
        if (elf_)
            elf_end(elf_);
    }
    ElfHandle(const ElfHandle&) = delete;
    ElfHandle& operator=(const ElfHandle&) = delete;
    Elf* get() const { return elf_; }

private:
    Elf* elf_;
};

struct Segment {
    uint32_t type;
    uint64_t offset, fileSize, vaddr, paddr, memSize;
};

// Whether the section lies inside the segment, by file offset and run
// address, the way objcopy decides which segment's physical address a
// section is loaded at.
bool InSegment(const GElf_Shdr& s, const Segment& p)
{
    const bool tls = (s.sh_flags & SHF_TLS) != 0;
    if (!(tls ? p.type == PT_TLS : p.type == PT_LOAD))
        return false;
    if (s.sh_offset < p.offset || s.sh_offset - p.offset > p.fileSize || p.fileSize - (s.sh_offset - p.offset) < s.sh_size)
        return false;
    return s.sh_addr >= p.vaddr && s.sh_addr - p.vaddr <= p.memSize && p.memSize - (s.sh_addr - p.vaddr) >= s.sh_size;
}

// The file's own header, translated by libelf without building the whole
// descriptor, so that a table outside the file is named before libelf
// refuses the file as a whole.
bool RawHeader(const std::vector<unsigned char>& file, GElf_Ehdr& header, GElf_Shdr* first)
{
    const bool wide = file[EI_CLASS] == ELFCLASS64;
    const unsigned encoding = file[EI_DATA];
    Elf64_Ehdr h64{};
    Elf32_Ehdr h32{};
    Elf_Data dst{wide ? static_cast<void*>(&h64) : static_cast<void*>(&h32), ELF_T_EHDR, EV_CURRENT,
                 wide ? sizeof h64 : sizeof h32, 0, 0};
    Elf_Data src = dst;
    src.d_buf = const_cast<unsigned char*>(file.data());
    if (!(wide ? elf64_xlatetom(&dst, &src, encoding) : elf32_xlatetom(&dst, &src, encoding)))
        return false;
    header = {};
    if (wide) {
        header.e_phoff = h64.e_phoff;
        header.e_shoff = h64.e_shoff;
        header.e_phnum = h64.e_phnum;
        header.e_shnum = h64.e_shnum;
    } else {
        header.e_phoff = h32.e_phoff;
        header.e_shoff = h32.e_shoff;
        header.e_phnum = h32.e_phnum;
        header.e_shnum = h32.e_shnum;
    }
    const size_t shSize = wide ? sizeof(Elf64_Shdr) : sizeof(Elf32_Shdr);
    if (!first || header.e_shoff == 0 || header.e_shoff > file.size() || file.size() - header.e_shoff < shSize)
        return true;
    Elf64_Shdr s64{};
    Elf32_Shdr s32{};
    Elf_Data sdst{wide ? static_cast<void*>(&s64) : static_cast<void*>(&s32), ELF_T_SHDR, EV_CURRENT, shSize, 0, 0};
    Elf_Data ssrc = sdst;
    ssrc.d_buf = const_cast<unsigned char*>(file.data() + header.e_shoff);
    if (!(wide ? elf64_xlatetom(&sdst, &ssrc, encoding) : elf32_xlatetom(&sdst, &ssrc, encoding)))
        return false;
    first->sh_size = wide ? s64.sh_size : s32.sh_size;
    return true;
}

// Problems with where the header says its tables are; empty when they lie in the file.
std::string TableProblem(const std::vector<unsigned char>& file)
{
    GElf_Ehdr h;
    GElf_Shdr first{};
    if (!RawHeader(file, h, &first))
        return "ELF header unreadable: " + LibelfReason();
    const bool wide = file[EI_CLASS] == ELFCLASS64;
    const uint64_t size = file.size();
    auto outside = [size](uint64_t offset, uint64_t count, uint64_t entry) {
        return offset > size || (size - offset) / entry < count;
    };
    if (h.e_phnum != 0 && h.e_phnum != PN_XNUM &&
        outside(h.e_phoff, h.e_phnum, wide ? sizeof(Elf64_Phdr) : sizeof(Elf32_Phdr)))
        return "ELF program header table (" + std::to_string(h.e_phnum) + " entries at offset " + Hex(h.e_phoff) +
               ") runs past the end of the file";
    if (h.e_shoff == 0)
        return {};
    const uint64_t entry = wide ? sizeof(Elf64_Shdr) : sizeof(Elf32_Shdr);
    // Past 65,279 sections the count stands in the first section header.
    const uint64_t count = h.e_shnum != 0 ? h.e_shnum : std::max<uint64_t>(first.sh_size, 1);
    if (outside(h.e_shoff, count, entry))
        return "ELF section table (" + std::to_string(count) + " entries at offset " + Hex(h.e_shoff) +
               ") runs past the end of the file";
    return {};
}

std::string SectionName(Elf* elf, size_t names, const GElf_Shdr& header, size_t index, bool& bad)
{
    const char* name = names != 0 ? elf_strptr(elf, names, header.sh_name) : nullptr;
    if (name)
        return name;
    bad = true;
    return "[" + std::to_string(index) + "]";
}
} // namespace

bool ElfImage::HasMagic(const unsigned char* data, size_t size)
{
    return size >= SELFMAG && std::memcmp(data, ELFMAG, SELFMAG) == 0;
}

void ElfImage::Read(std::vector<unsigned char> file)
{
    auto info = std::make_shared<ElfInfo>();
    info_ = info;
    runs_.clear();
    bytes_.clear();
    problem_.clear();
    fatal_ = false;
    // Nothing of a file that cannot be read is shown: no bytes, no sections.
    auto fail = [this, &info](std::string text) {
        problem_ = std::move(text);
        fatal_ = true;
        runs_.clear();
        *info = ElfInfo();
    };
    elf_version(EV_CURRENT);
    if (file.size() < EI_NIDENT || !HasMagic(file.data(), file.size()))
        return fail("ELF header truncated: the file ends after " + std::to_string(file.size()) + " bytes");
    const int elfClass = file[EI_CLASS];
    if (elfClass != ELFCLASS32 && elfClass != ELFCLASS64)
        return fail("ELF file of unknown class " + std::to_string(elfClass));
    if (file[EI_DATA] != ELFDATA2LSB && file[EI_DATA] != ELFDATA2MSB)
        return fail("ELF file of unknown byte order " + std::to_string(file[EI_DATA]));
    const size_t headerSize = elfClass == ELFCLASS64 ? sizeof(Elf64_Ehdr) : sizeof(Elf32_Ehdr);
    if (file.size() < headerSize)
        return fail("ELF header truncated: the file ends after " + std::to_string(file.size()) + " of its " +
                    std::to_string(headerSize) + " bytes");
    if (std::string problem = TableProblem(file); !problem.empty())
        return fail(problem);

    bytes_ = std::move(file);
    ElfHandle handle(elf_memory(reinterpret_cast<char*>(bytes_.data()), bytes_.size()));
    Elf* elf = handle.get();
    GElf_Ehdr header;
    if (!elf || elf_kind(elf) != ELF_K_ELF || !gelf_getehdr(elf, &header))
        return fail("ELF file unreadable: " + LibelfReason());
    info->relocatable = header.e_type == ET_REL;

    size_t segmentCount = 0;
    if (elf_getphdrnum(elf, &segmentCount) != 0)
        return fail("ELF program headers unreadable: " + LibelfReason());
    std::vector<Segment> segments;
    for (size_t i = 0; i < segmentCount; ++i) {
        GElf_Phdr p;
        if (!gelf_getphdr(elf, static_cast<int>(i), &p))
            return fail("ELF program header " + std::to_string(i) + " unreadable: " + LibelfReason());
        segments.push_back({p.p_type, p.p_offset, p.p_filesz, p.p_vaddr, p.p_paddr, p.p_memsz});
    }

    size_t names = 0;
    if (elf_getshdrstrndx(elf, &names) != 0)
        names = 0;
    bool badSectionName = false;
    struct Placed {
        size_t section;
        uint64_t fileOffset;
    };
    std::vector<Placed> placed;
    size_t index = 0;
    for (Elf_Scn* scn = elf_nextscn(elf, nullptr); scn; scn = elf_nextscn(elf, scn)) {
        ++index;
        GElf_Shdr s;
        if (!gelf_getshdr(scn, &s))
            return fail("ELF section header " + std::to_string(index) + " unreadable: " + LibelfReason());
        if (!(s.sh_flags & SHF_ALLOC) || s.sh_type == SHT_NOBITS || s.sh_type == SHT_NULL || s.sh_size == 0)
            continue;
        ElfSection section;
        section.name = SectionName(elf, names, s, index, badSectionName);
        if (s.sh_offset > bytes_.size() || bytes_.size() - s.sh_offset < s.sh_size)
            return fail("ELF section " + section.name + " (" + std::to_string(s.sh_size) + " bytes at offset " +
                        Hex(s.sh_offset) + ") runs past the end of the file");
        uint64_t load = s.sh_addr;
        for (const Segment& p : segments)
            if (InSegment(s, p)) {
                load = p.paddr + (s.sh_offset - p.offset);
                break;
            }
        if (load >= kAddressSpace || kAddressSpace - load < s.sh_size)
            return fail("ELF section " + section.name + " has load address " + Hex(load) + ", and " +
                        std::to_string(s.sh_size) + " bytes from there pass FFFFFFFF");
        section.runAddress = static_cast<Address>(std::min<uint64_t>(s.sh_addr, INT64_MAX));
        section.loadAddress = static_cast<Address>(load);
        section.size = static_cast<Address>(s.sh_size);
        placed.push_back({info->sections.size(), s.sh_offset});
        info->sections.push_back(std::move(section));
    }
    if (info->sections.empty())
        return fail("no loadable data");

    // By load address; two sections on the same bytes would leave one of
    // them misplaced, whichever was read last.
    std::stable_sort(placed.begin(), placed.end(), [&](const Placed& a, const Placed& b) {
        return info->sections[a.section].loadAddress < info->sections[b.section].loadAddress;
    });
    for (size_t i = 1; i < placed.size(); ++i) {
        const ElfSection& before = info->sections[placed[i - 1].section];
        const ElfSection& here = info->sections[placed[i].section];
        if (here.loadAddress < before.loadAddress + before.size)
            return fail("ELF sections " + before.name + " and " + here.name + " overlap at load address " +
                        Hex(static_cast<uint64_t>(here.loadAddress)) +
                        (info->relocatable ? " (a relocatable object: its sections are placed when it is linked)"
                                           : ""));
    }
    // Runs point into the file's bytes, which the image keeps: libelf never
    // changes the memory it reads (it converts tables into copies of its own).
    std::vector<ElfSection> sorted;
    for (const Placed& p : placed) {
        ElfSection& section = info->sections[p.section];
        runs_.push_back({section.loadAddress, static_cast<size_t>(p.fileOffset), static_cast<size_t>(section.size)});
        sorted.push_back(std::move(section));
    }
    info->sections = std::move(sorted);
    // As objcopy, an entry point of 0 is no start address.
    if (header.e_type != ET_REL && header.e_entry != 0 && header.e_entry < kAddressSpace)
        info->entry = static_cast<Address>(header.e_entry);
    if (info->relocatable)
        info->notice = "relocatable object: its sections are read at their own addresses, before linking";

    // Symbols: the full table, or the dynamic one of a stripped file.
    Elf_Scn* table = nullptr;
    GElf_Shdr tableHeader{};
    for (Elf_Scn* scn = elf_nextscn(elf, nullptr); scn; scn = elf_nextscn(elf, scn)) {
        GElf_Shdr s;
        if (gelf_getshdr(scn, &s) && (s.sh_type == SHT_SYMTAB || (s.sh_type == SHT_DYNSYM && !table))) {
            table = scn;
            tableHeader = s;
        }
    }
    if (!table)
        return;
    if (tableHeader.sh_entsize == 0 || tableHeader.sh_offset > bytes_.size() ||
        bytes_.size() - tableHeader.sh_offset < tableHeader.sh_size) {
        problem_ = "ELF symbol table runs past the end of the file";
        return;
    }
    Elf_Data* data = elf_getdata(table, nullptr);
    if (!data) {
        problem_ = "ELF symbol table unreadable: " + LibelfReason();
        return;
    }
    std::vector<ElfSection> byRun = info->sections;
    std::sort(byRun.begin(), byRun.end(), [](const ElfSection& a, const ElfSection& b) { return a.runAddress < b.runAddress; });
    const bool thumb = header.e_machine == EM_ARM;
    const size_t count = tableHeader.sh_size / tableHeader.sh_entsize;
    size_t badNames = 0, firstBad = 0;
    for (size_t i = 1; i < count && i <= static_cast<size_t>(INT32_MAX); ++i) {
        GElf_Sym sym;
        if (!gelf_getsym(data, static_cast<int>(i), &sym))
            break;
        const int type = GELF_ST_TYPE(sym.st_info);
        if ((type != STT_FUNC && type != STT_OBJECT) || sym.st_shndx == SHN_UNDEF || sym.st_shndx == SHN_COMMON)
            continue;
        const char* name = elf_strptr(elf, tableHeader.sh_link, sym.st_name);
        if (!name) {
            if (badNames++ == 0)
                firstBad = i;
            continue;
        }
        if (!*name)
            continue;
        ElfSymbol symbol;
        symbol.name = name;
        // The low bit of a Thumb function's address only says it is Thumb code.
        uint64_t value = thumb && type == STT_FUNC ? sym.st_value & ~uint64_t{1} : sym.st_value;
        if (info->relocatable && sym.st_shndx < SHN_LORESERVE)
            if (GElf_Shdr s; gelf_getshdr(elf_getscn(elf, sym.st_shndx), &s))
                value += s.sh_addr;
        if (value >= kAddressSpace)
            continue;
        symbol.runAddress = static_cast<Address>(value);
        symbol.size = static_cast<Address>(std::min<uint64_t>(sym.st_size, kAddressSpace));
        symbol.function = type == STT_FUNC;
        auto it = std::upper_bound(byRun.begin(), byRun.end(), symbol.runAddress,
                                   [](Address a, const ElfSection& s) { return a < s.runAddress; });
        if (it != byRun.begin() && symbol.runAddress < (it - 1)->runAddress + (it - 1)->size)
            symbol.loadAddress = (it - 1)->loadAddress + (symbol.runAddress - (it - 1)->runAddress);
        info->symbols.push_back(std::move(symbol));
    }
    std::sort(info->symbols.begin(), info->symbols.end(), [](const ElfSymbol& a, const ElfSymbol& b) {
        return a.name != b.name ? a.name < b.name : a.runAddress < b.runAddress;
    });
    if (badNames > 0)
        problem_ = "ELF symbol table: " + std::to_string(badNames) + (badNames == 1 ? " name lies" : " names lie") +
                   " past the end of its string table (first: symbol " + std::to_string(firstBad) + ")";
    else if (badSectionName)
        problem_ = "ELF section names lie past the end of their string table";
}
