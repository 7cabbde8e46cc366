// ELF files built here with the host's own tools read as objcopy -O ihex
// reads them: the same bytes at the same addresses and the same start
// address. Damaged copies are refused with a message naming the damage.

#include "document/buffer_document.h"
#include "document/elf_details.h"
#include "formats/elf_image.h"
#include "formats/ffc_in.h"
#include "formats/streams.h"
#include "support/convert_helpers.h"
#include "support/recording_host.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sys/wait.h>
#include <tuple>

namespace {
bool Shell(const std::string& command) { return std::system(("(" + command + ") >/dev/null 2>&1").c_str()) == 0; }

// Flash at 08000000, RAM at 20000000, .data loaded in flash after .rodata.
constexpr const char* kScript =
    "MEMORY { FLASH (rx) : ORIGIN = 0x08000000, LENGTH = 64K\n RAM (rwx) : ORIGIN = 0x20000000, LENGTH = 16K }\n"
    "ENTRY(_start)\nSECTIONS {\n .text : { *(.text*) } > FLASH\n .rodata : { *(.rodata*) } > FLASH\n"
    " .data : { *(.data*) } > RAM AT > FLASH\n .bss : { *(.bss*) } > RAM\n}\n";
constexpr const char* kAssembly =
    ".text\n.globl _start\n.type _start,@function\n_start: .fill 300,1,0x5a\n.byte 1,2,3\n.size _start,303\n"
    ".section .rodata,\"a\"\n.ascii \"dravel\"\n"
    ".data\n.globl table\n.type table,@object\ntable: .long 0x11223344,2,3,4\n.size table,16\n"
    ".bss\n.globl counter\n.type counter,@object\ncounter: .zero 4\n.size counter,4\n";

struct Read {
    ByteImage image;
    std::string problem;
    FileFormat format = ffUnknown;
};

Read ReadElf(const std::string& bytes)
{
    StringInStream stream(bytes);
    ReadResult all = ReadAll(bytes, "");
    return {std::move(all.image), OFFCIn(stream, "").Problem(), all.format};
}

// The bytes of objcopy's Intel HEX for `elf`, and the start address it wrote.
ByteImage Objcopy(const TempDir& dir, const std::string& objcopy, const std::string& elf, Address& start)
{
    const std::string hex = dir.File("peer.hex");
    EXPECT_TRUE(Shell(objcopy + " -O ihex " + elf + " " + hex));
    const std::string text = ReadFileBytes(hex);
    start = kNoAddress;
    if (const size_t at = text.find(":04000005"); at != std::string::npos)
        start = std::stoll(text.substr(at + 9, 8), nullptr, 16);
    if (const size_t at = text.find(":04000003"); at != std::string::npos)  // CS:IP
        start = std::stoll(text.substr(at + 9, 4), nullptr, 16) * 16 + std::stoll(text.substr(at + 13, 4), nullptr, 16);
    return ReadAll(text, "ext").image;
}

// Little-endian section headers, enough to patch a copy.
struct Layout {
    bool wide;
    std::string bytes;
    uint64_t Get(size_t at, int n) const
    {
        uint64_t v = 0;
        std::memcpy(&v, bytes.data() + at, size_t(n));
        return v;
    }
    void Put(size_t at, int n, uint64_t v) { std::memcpy(bytes.data() + at, &v, size_t(n)); }
    size_t ShOff() const { return Get(wide ? 0x28 : 0x20, wide ? 8 : 4); }
    size_t ShNumAt() const { return wide ? 0x3C : 0x30; }
    size_t Header(size_t i) const { return ShOff() + i * (wide ? 64 : 40); }
    // Offsets of a header's fields: name, type, address, offset, size, link.
    size_t Field(size_t i, int f) const
    {
        static const int narrow[] = {0, 4, 12, 16, 20, 24}, broad[] = {0, 4, 16, 24, 32, 40};
        return Header(i) + size_t(wide ? broad[f] : narrow[f]);
    }
    int Width(int f) const { return f <= 1 || f == 5 ? 4 : wide ? 8 : 4; }
    size_t Section(const std::string& name) const
    {
        const size_t count = Get(ShNumAt(), 2), names = Get(ShNumAt() + 2, 2);
        for (size_t i = 0; i < count; ++i)
            if (bytes.compare(Get(Field(names, 3), Width(3)) + Get(Field(i, 0), 4), name.size() + 1,
                              name.c_str(), name.size() + 1) == 0)
                return i;
        return 0;
    }
    void Set(const std::string& section, int f, uint64_t v) { Put(Field(Section(section), f), Width(f), v); }
    uint64_t At(const std::string& section, int f) const { return Get(Field(Section(section), f), Width(f)); }
};
enum { kName, kType, kAddr, kOffset, kSize, kLink };

class ElfImageTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!Shell("command -v as && command -v ld && command -v objcopy"))
            return;
        dir_ = new TempDir;
        dir_->Write("img.ld", kScript);
        dir_->Write("img.s", kAssembly);
        const std::string s = dir_->File("img.s"), t = dir_->File("img.ld");
        built_ = Shell("as --64 -o " + dir_->File("img64.o") + " " + s) &&
                 Shell("ld -m elf_x86_64 -T " + t + " -o " + dir_->File("img64.elf") + " " + dir_->File("img64.o")) &&
                 Shell("as --32 -o " + dir_->File("img32.o") + " " + s) &&
                 Shell("ld -m elf_i386 -T " + t + " -o " + dir_->File("img32.elf") + " " + dir_->File("img32.o")) &&
                 Shell("ld -m elf_i386 --oformat elf32-big -T " + t + " -o " + dir_->File("img32be.elf") + " " +
                       dir_->File("img32.o")) &&
                 Shell("printf '' | as --32 -o " + dir_->File("empty.o"));
    }
    static void TearDownTestSuite()
    {
        delete dir_;
        dir_ = nullptr;
    }
    void SetUp() override
    {
        if (!built_)
            GTEST_SKIP() << "the host's assembler, linker or objcopy is missing";
    }
    static Layout Image(const std::string& name, bool wide) { return {wide, ReadFileBytes(dir_->File(name))}; }

    static inline TempDir* dir_ = nullptr;
    static inline bool built_ = false;
};

void ExpectLikeObjcopy(const TempDir& dir, const std::string& objcopy, const std::string& elf)
{
    SCOPED_TRACE(elf);
    Address start;
    const ByteImage peer = Objcopy(dir, objcopy, elf, start);
    const Read ours = ReadElf(ReadFileBytes(elf));
    EXPECT_EQ(ours.format, ffElf);
    EXPECT_EQ(ours.problem, "");
    EXPECT_FALSE(peer.empty());
    EXPECT_TRUE(ours.image == peer) << ours.image.size() << " bytes, objcopy " << peer.size();
    RecordingHost host;
    OBufferDocument document(host, std::string(), "");
    ASSERT_TRUE(document.Open(elf));
    EXPECT_EQ(document.StartAddress(), start);
    EXPECT_TRUE(host.messages.empty());
}
} // namespace

TEST_F(ElfImageTest, ReadsAsObjcopyDoesInEveryClassAndByteOrder)
{
    for (const char* name : {"img64.elf", "img32.elf", "img32be.elf"})
        ExpectLikeObjcopy(*dir_, "objcopy", dir_->File(name));
    // A whole static program of the host: many sections, TLS, notes.
    dir_->Write("prog.c", "int counter; int table[4] = {1, 2, 3, 4};\n"
                          "int main(void) { return table[counter]; }\n");
    if (Shell("cc -static -O1 -o " + dir_->File("prog") + " " + dir_->File("prog.c")))
        ExpectLikeObjcopy(*dir_, "objcopy", dir_->File("prog"));
}

TEST_F(ElfImageTest, CrossCompiledFirmwareWhenTheToolchainIsThere)
{
    // Cortex-M with startup code copying .data from flash; AVR 8-bit.
    dir_->Write("fw.c", "int table[4] = {1, 2, 3, 4}; const char name[] = \"dravel\"; int counter;\n"
                        "void _start(void) { for (;;) counter += table[counter & 3] + name[0]; }\n");
    using Cross = std::tuple<std::string, std::string, std::string>;
    for (const auto& [gcc, flags, objcopy] :
         {Cross{"arm-none-eabi-gcc", "-mcpu=cortex-m4 -mthumb -nostdlib -T " + dir_->File("img.ld"),
                "arm-none-eabi-objcopy"},
          Cross{"avr-gcc", "-mmcu=atmega328p -nostdlib", "avr-objcopy"}}) {
        const std::string elf = dir_->File(gcc + ".elf");
        if (!Shell("command -v " + gcc))
            continue;
        ASSERT_TRUE(Shell(gcc + " -O1 " + flags + " -o " + elf + " " + dir_->File("fw.c")));
        ExpectLikeObjcopy(*dir_, objcopy, elf);
    }
}

TEST_F(ElfImageTest, SectionsAndSymbolsKeepTheirRunAndLoadAddresses)
{
    RecordingHost host;
    OBufferDocument document(host, std::string(), "elf");
    ASSERT_TRUE(document.Open(dir_->File("img32.elf")));
    const ElfInfo* elf = document.Elf();
    ASSERT_NE(elf, nullptr);
    ASSERT_EQ(elf->sections.size(), 3u);
    // .text 303 bytes, .rodata 6, then .data's initial values.
    EXPECT_EQ(SectionNames(*elf, 0x08000000, 0x08000144), ".text, .rodata, .data (load address of 20000000)");
    EXPECT_EQ(SectionNames(*elf, 0x08000130, 0x08000130), ".rodata");
    EXPECT_EQ(document.ReadByte(0x08000135), 0x44);
    // .data's variable is found at its initial value in flash; .bss's has none.
    const std::vector<size_t> found = MatchingSymbols(*elf, "TAB"), ram = MatchingSymbols(*elf, "counter");
    ASSERT_TRUE(found.size() == 1 && ram.size() == 1);
    EXPECT_EQ(elf->symbols[found[0]].loadAddress, 0x08000135);
    EXPECT_EQ(elf->symbols[ram[0]].loadAddress, kNoAddress);
    // Read only: Save needs another file until a new name is given.
    EXPECT_TRUE(document.NeedsSaveTarget());
    EXPECT_FALSE(document.Commit(true));
    document.SetPath(dir_->File("copy.int"));
    document.SetFormatKey("ext");
    EXPECT_FALSE(document.NeedsSaveTarget());
}

TEST_F(ElfImageTest, DamagedFilesAreNamedAndGiveNoBytes)
{
    const Layout good32 = Image("img32.elf", false), good64 = Image("img64.elf", true);
    const ByteImage whole = ReadElf(good32.bytes).image;
    struct Case {
        const char* what;
        Layout file;
        const char* problem;
        bool keepsBytes;
    };
    std::vector<Case> cases;
    auto add = [&](const char* what, Layout file, const char* problem, bool keeps = false) {
        cases.push_back({what, std::move(file), problem, keeps});
    };
    add("magic only", {false, "\x7f" "ELF"}, "ELF header truncated: the file ends after 4 bytes");
    add("64-bit header cut", {true, good64.bytes.substr(0, 40)}, "the file ends after 40 of its 64 bytes");
    Layout huge = good32;
    huge.Put(huge.Field(0, kSize), 4, 100000);
    huge.Put(huge.ShNumAt(), 2, 0);
    add("100,000 sections", huge, "section table (100000 entries at offset");
    Layout past = good32;
    past.Set(".text", kOffset, past.bytes.size() - 10);
    add("section past the end", past, "ELF section .text (303 bytes at offset");
    Layout high = good64;
    high.Put(0x40 + 0x18, 8, uint64_t{1} << 32);  // the first segment's physical address
    add("load address past 4 GiB", high, "has load address 100000000");
    Layout overlap = good32;
    overlap.Set(".rodata", kOffset, overlap.At(".text", kOffset));
    overlap.Set(".rodata", kAddr, overlap.At(".text", kAddr));
    add("overlapping sections", overlap, "ELF sections .text and .rodata overlap at load address 08000000");
    Layout names = good32;
    for (size_t at = names.At(".symtab", kOffset), n = 1; n < names.At(".symtab", kSize) / 16; ++n)
        names.Put(at + 16 * n, 4, 0x7FFFFFF0);
    add("symbol names past their table", names, "names lie past the end of its string table", true);
    add("object without data", {false, ReadFileBytes(dir_->File("empty.o"))}, "no loadable data");

    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Read read = ReadElf(c.file.bytes);
        EXPECT_EQ(read.format, ffElf);
        EXPECT_NE(read.problem.find(c.problem), std::string::npos) << read.problem;
        if (c.keepsBytes)
            EXPECT_TRUE(read.image == whole);
        else
            EXPECT_TRUE(read.image.empty()) << read.image.size();
    }
}

TEST_F(ElfImageTest, RelocatableObjectsAreReadAtTheirOwnAddressesAndSaySo)
{
    RecordingHost host;
    OBufferDocument document(host, std::string(), "");
    ASSERT_TRUE(Shell("printf '.text\\n.byte 9,8,7\\n' | as --64 -o " + dir_->File("one.o")));
    ASSERT_TRUE(document.Open(dir_->File("one.o")) && document.Elf());
    EXPECT_NE(document.Elf()->notice.find("relocatable object"), std::string::npos);
    EXPECT_EQ(document.ReadByte(0) * 100 + document.ReadByte(2), 907);
    EXPECT_EQ(document.StartAddress(), kNoAddress);
}

TEST_F(ElfImageTest, ConverterNamesSectionsAndNeverWritesElf)
{
    const std::string conv = DRAVEL_CONV_PATH, elf = dir_->File("img32.elf"), info = dir_->File("info.txt");
    ASSERT_TRUE(Shell(conv + " -v --info " + elf + " >" + info));
    EXPECT_NE(ReadFileBytes(info).find("\nrange: 08000000-08000144 (325 bytes) .text, .rodata, .data (load address "
                                       "of 20000000)\n"),
              std::string::npos);
    const auto status = [](const std::string& command) { return WEXITSTATUS(std::system(command.c_str())); };
    EXPECT_EQ(status(conv + " --out-key elf " + elf + " x.elf 2>/dev/null"), 2);
    EXPECT_EQ(status(conv + " " + dir_->File("empty.o") + " " + dir_->File("empty.int") + " 2>/dev/null"), 1);
    EXPECT_FALSE(std::filesystem::exists(dir_->File("empty.int")));
}
