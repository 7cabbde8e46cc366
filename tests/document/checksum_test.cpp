#include "buffer/data_buffer.h"
#include "document/checksum.h"
#include "checksum_syntax.h"
#include "document/checksum_plan.h"
#include "document_fixture.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {
const uint8_t* Check() { return reinterpret_cast<const uint8_t*>("123456789"); }

uint32_t Reflect(uint32_t v, int width)
{
    uint32_t r = 0;
    for (int i = 0; i < width; ++i)
        r |= ((v >> i) & 1u) << (width - 1 - i);
    return r;
}

// The textbook CRC, one bit at a time, for comparison.
uint32_t BitwiseCrc(const CrcParameters& p, const uint8_t* d, size_t n)
{
    const uint64_t top = 1ull << (p.width - 1);
    const uint64_t mask = (top << 1) - 1;
    uint64_t crc = p.init;
    for (size_t i = 0; i < n; ++i) {
        crc ^= static_cast<uint64_t>(p.refin ? Reflect(d[i], 8) : d[i]) << (p.width - 8);
        for (int bit = 0; bit < 8; ++bit)
            crc = ((crc & top) ? (crc << 1) ^ p.poly : crc << 1) & mask;
    }
    if (p.refout)
        crc = Reflect(static_cast<uint32_t>(crc), p.width);
    return static_cast<uint32_t>(crc ^ p.xorout);
}

ChecksumAlgorithm Named(const std::string& name)
{
    ChecksumAlgorithm a;
    EXPECT_EQ(ParseChecksumAlgorithm(name, a), "") << name;
    return a;
}

// The catalogue, and CRCs with mixed reflection the catalogue lacks.
std::vector<ChecksumAlgorithm> EveryPath()
{
    std::vector<ChecksumAlgorithm> all = ChecksumCatalogue();
    all.push_back(CustomCrc({8, 0x9B, 0xFF, true, false, 0x00}));
    all.push_back(CustomCrc({16, 0x8BB7, 0x1234, false, true, 0x5555}));
    all.push_back(CustomCrc({32, 0x814141AB, 0x0, true, false, 0xFFFFFFFF}));
    return all;
}
} // namespace

// Every named algorithm gives its published check value, whatever the pieces
// the bytes come in; every CRC agrees with the bitwise one.
TEST(ChecksumTest, CatalogueCheckValues)
{
    ASSERT_EQ(ChecksumCatalogue().size(), 26u);
    for (const ChecksumAlgorithm& a : EveryPath()) {
        if (a.kind == ChecksumKind::Crc) {
            EXPECT_EQ(a.check, BitwiseCrc(a.crc, Check(), 9)) << a.name;
        }
        EXPECT_EQ(ComputeChecksum(a, Check(), 9), a.check) << a.name;
        for (int split = 1; split < 9; ++split) {
            OChecksummer pieces(a);
            pieces.Update(Check(), split);
            pieces.Update(Check() + split, 9 - split);
            EXPECT_EQ(pieces.Value(), a.check) << a.name << " split " << split;
        }
    }
    // Names are found by their catalogue spellings, case and dashes aside.
    for (const char* name : {"CRC-32/ISO-HDLC", "crc32", "CRC32", "crc_32/zip"})
        EXPECT_EQ(Named(name).check, 0xCBF43926u) << name;
    EXPECT_EQ(Named("CRC-16/CCITT-FALSE").name, "crc16/ibm-3740");
    EXPECT_EQ(Named("crc-32c/iscsi").name, "crc32c");
    ChecksumAlgorithm custom = Named("width=16,poly=0x1021,init=FFFF,refin=false,refout=0,xorout=0");
    EXPECT_EQ(custom.check, 0x29B1u);
    EXPECT_EQ(custom.name, "width=16,poly=0x1021,init=0xffff,refin=false,refout=false,xorout=0x0000");
    EXPECT_EQ(FormatChecksum(0x23, 8), "23");
    EXPECT_EQ(FormatChecksum(0x1DD, 32), "000001dd");
}

TEST(ChecksumTest, BadAlgorithmsAreNamed)
{
    const std::pair<const char*, const char*> cases[] = {
        {"crc17", "unknown checksum \"crc17\""},
        {"", "unknown checksum \"\""},
        {"width=12,poly=0x80f,init=0,refin=false,refout=false,xorout=0", "the CRC width must be 8, 16 or 32, not \"12\""},
        {"width=16,poly=0x11021,init=0,refin=false,refout=false,xorout=0", "poly 0x00011021 does not fit in 16 bits"},
        {"width=8,poly=0x07,init=0x100,refin=false,refout=false,xorout=0", "init 0x00000100 does not fit in 8 bits"},
        {"width=8,poly=0x07,init=0,refin=false,refout=false,xorout=0x1ff", "xorout 0x000001ff does not fit in 8 bits"},
        {"width=8,poly=0x07,init=0,refin=false,refout=false", "CRC parameter xorout is missing"},
        {"width=8,poly=0x07,init=0,refin=maybe,refout=false,xorout=0", "CRC parameter \"refin=maybe\" takes true or false"},
        {"width=8,poly=0x123456789,init=0,refin=0,refout=0,xorout=0",
         "CRC parameter \"poly=0x123456789\" takes a hexadecimal number of at most 32 bits"},
        {"width=8,width=8", "CRC parameter width given twice"},
        {"width=8,size=3", "unknown CRC parameter \"size=3\""},
    };
    for (const auto& [text, message] : cases) {
        ChecksumAlgorithm a;
        EXPECT_EQ(ParseChecksumAlgorithm(text, a), message) << text;
    }
    EXPECT_EQ(CheckCrcParameters({24, 1, 0, false, false, 0}), "the CRC width must be 8, 16 or 32, not 24");
}

// Erased stretches are computed, not read: on random sparse images the
// result over any range equals the same bytes walked one by one, and for
// CRCs the bitwise reference over shorter ranges.
TEST(ChecksumTest, GapsAgreeWithWalkedBytes)
{
    std::mt19937 random(21);
    const Address span = std::min<Address>(ODataBuffer::AddressLimit, Address{1} << 25);
    const std::vector<ChecksumAlgorithm> all = EveryPath();
    for (int image = 0; image < 2; ++image) {
        ODataBuffer buffer;
        for (int run = 0; run < 12; ++run) {
            std::vector<uint8_t> bytes(random() % 70000 + 1);
            for (uint8_t& b : bytes)
                b = static_cast<uint8_t>(random());
            const Address at = random() % (span - static_cast<Address>(bytes.size()));
            ASSERT_TRUE(buffer.SetPosition(at));
            buffer.PutBlock(bytes.data(), static_cast<Address>(bytes.size()));
        }
        for (int range = 0; range < 6; ++range) {
            // The whole span, a long range and a short one across a run.
            Address first = random() % span, last = random() % span;
            if (range == 0)
                first = 0, last = span - 1;
            else if (range % 2 == 0)
                last = first + random() % 90000;
            if (first > last)
                std::swap(first, last);
            last = std::min(last, span - 1);
            std::vector<uint8_t> walked(static_cast<size_t>(last - first + 1));
            buffer.CopyOut(first, static_cast<Address>(walked.size()), walked.data());
            for (size_t i = 0; i < all.size(); ++i) {
                const ChecksumAlgorithm& a = all[i];
                // Ranges of megabytes take turns among the algorithms.
                if (walked.size() > (1u << 20) && i % 4 != static_cast<size_t>(range + image) % 4)
                    continue;
                EXPECT_EQ(ComputeChecksum(a, buffer, first, last),
                          ComputeChecksum(a, walked.data(), static_cast<Address>(walked.size()), first))
                    << a.name << " " << first << "-" << last;
                if (a.kind == ChecksumKind::Crc && walked.size() < 100000) {
                    EXPECT_EQ(ComputeChecksum(a, buffer, first, last), BitwiseCrc(a.crc, walked.data(), walked.size()))
                        << a.name;
                }
            }
        }
    }
}

// Gaps far longer than any image: a gap's result equals its parts in turn,
// and short gaps equal their bytes; sums follow n * 0xFF.
TEST(ChecksumTest, LongGapsSplitAnywhere)
{
    std::mt19937_64 random(4);
    const std::vector<uint8_t> erased(5000, 0xFF);
    for (const ChecksumAlgorithm& a : EveryPath()) {
        for (int i = 0; i < 4; ++i) {
            const Address n = static_cast<Address>(random() % (Address{1} << 32)) + 1;
            const Address part = static_cast<Address>(random() % static_cast<uint64_t>(n));
            OChecksummer whole(a), split(a);
            whole.Update(Check(), 3);
            split.Update(Check(), 3);
            whole.UpdateErased(n);
            split.UpdateErased(part);
            split.UpdateErased(n - part);
            EXPECT_EQ(whole.Value(), split.Value()) << a.name << " " << n;
            const Address shortGap = static_cast<Address>(random() % erased.size());
            OChecksummer computed(a), read(a);
            computed.Update(Check(), 1);
            read.Update(Check(), 1);
            computed.UpdateErased(shortGap);
            read.Update(erased.data(), shortGap);
            EXPECT_EQ(computed.Value(), read.Value()) << a.name << " " << shortGap;
        }
    }
    OChecksummer sum(Named("sum32"));
    sum.UpdateErased(Address{1} << 32);
    EXPECT_EQ(sum.Value(), static_cast<uint32_t>((Address{1} << 32) * 0xFF));
}

// A window of the whole address space with runs here and there: the result
// equals the runs fed in turn with their gaps between, each gap in two parts.
TEST(ChecksumTest, WindowOfTheWholeAddressSpace)
{
    std::mt19937_64 random(20);
    constexpr Address kParts = 10;
    const Address part = ODataBuffer::AddressLimit / kParts;
    ODataBuffer buffer;
    std::vector<std::pair<Address, std::vector<uint8_t>>> runs;
    for (Address i = 0; i < kParts; ++i) {
        std::vector<uint8_t> bytes(random() % 5000 + 1);
        for (uint8_t& b : bytes)
            b = static_cast<uint8_t>(random());
        const Address at = i * part + static_cast<Address>(random() % static_cast<uint64_t>(part - 5000));
        ASSERT_TRUE(buffer.SetPosition(at));
        buffer.PutBlock(bytes.data(), static_cast<Address>(bytes.size()));
        runs.emplace_back(at, std::move(bytes));
    }
    buffer.SetWindow(0, ODataBuffer::AddressLimit - 1);
    for (const ChecksumAlgorithm& a : EveryPath()) {
        OChecksummer fed(a);
        Address next = 0;
        for (const auto& [at, bytes] : runs) {
            const Address half = static_cast<Address>(random() % static_cast<uint64_t>(at - next + 1));
            fed.UpdateErased(half);
            fed.UpdateErased(at - next - half);
            fed.Update(bytes.data(), static_cast<Address>(bytes.size()));
            next = at + static_cast<Address>(bytes.size());
        }
        fed.UpdateErased(ODataBuffer::AddressLimit - next);
        EXPECT_EQ(ComputeChecksum(a, buffer, 0, ODataBuffer::AddressLimit - 1), fed.Value()) << a.name;
    }
}

// The converter's option texts and the range and write checks the dialog
// shares.
TEST(ChecksumTest, PlansAndTheirProblems)
{
    struct Case {
        const char* text;
        bool write;
        const char* problem;
        Address first, last, at;
        bool bigEndian;
    };
    const std::string end = "the result would end past address " + [] {
        char t[24];
        std::snprintf(t, sizeof t, "%08llx", static_cast<unsigned long long>(ODataBuffer::AddressLimit - 1));
        return std::string(t);
    }();
    const Case cases[] = {
        {"crc32", false, "", kNoAddress, kNoAddress, kNoAddress, false},
        {"crc32:10-1f", false, "", 0x10, 0x1F, kNoAddress, false},
        {"SUM16:0x10-0X1F", false, "", 0x10, 0x1F, kNoAddress, false},
        {"crc32:10", false, "--checksum crc32:10: \"10\" is not understood", 0, 0, 0, false},
        {"crc32:10-zz", false, "--checksum crc32:10-zz: \"10-zz\" is not a range FIRST-LAST of hexadecimal addresses", 0, 0, 0, false},
        {"nope:0-1", false, "unknown checksum \"nope\"", 0, 0, 0, false},
        {"crc16/xmodem:fffe", true, "", kNoAddress, kNoAddress, 0xFFFE, false},
        {"crc16/xmodem:fffe:0-fffd:be", true, "", 0, 0xFFFD, 0xFFFE, true},
        {"crc16/xmodem:fffe:le", true, "", kNoAddress, kNoAddress, 0xFFFE, false},
        {"crc32", true, "--checksum-write crc32: the address to write at is missing or not hexadecimal", 0, 0, 0, false},
        {"crc32:100:0-ff:middle", true, "--checksum-write crc32:100:0-ff:middle: \"middle\" is not understood", 0, 0, 0, false},
        {"crc32:fffffffd", true, end.c_str(), 0, 0, 0, false},
        {"crc32:123456789abc", true, end.c_str(), 0, 0, 0, false},
    };
    for (const Case& c : cases) {
        ChecksumPlan plan;
        EXPECT_EQ(ParseChecksumOption(c.text, c.write, plan), c.problem) << c.text;
        if (*c.problem)
            continue;
        EXPECT_EQ(plan.first, c.first) << c.text;
        EXPECT_EQ(plan.last, c.last) << c.text;
        EXPECT_EQ(plan.writeAt, c.at) << c.text;
        EXPECT_EQ(plan.bigEndian, c.bigEndian) << c.text;
    }

    ChecksumPlan plan;
    plan.algorithm = Named("crc32");
    std::string notice;
    EXPECT_EQ(ResolveChecksumPlan(plan, 0x100, 0x200, &notice), "");
    EXPECT_EQ(plan.first, 0x100);
    EXPECT_EQ(plan.last, 0x1FF);
    plan.writeAt = 0x1FE;   // two of its four bytes inside
    EXPECT_EQ(ResolveChecksumPlan(plan, 0x100, 0x200, &notice), "");
    EXPECT_EQ(notice, kWrittenInsideRangeText);
    plan.writeAt = 0x200;
    notice.clear();
    EXPECT_EQ(ResolveChecksumPlan(plan, 0x100, 0x200, &notice), "");
    EXPECT_EQ(notice, "");
    plan.first = 0x1FF, plan.last = 0x100;
    EXPECT_EQ(ResolveChecksumPlan(plan, 0x100, 0x200),
              "the range 000001ff-00000100 is reversed: its first address is above its last");
    plan.first = 0xFF, plan.last = 0x100;
    EXPECT_EQ(ResolveChecksumPlan(plan, 0x100, 0x200), "the range 000000ff-00000100 lies outside the window 00000100-000001ff");
    plan.first = kNoAddress;
    EXPECT_EQ(ResolveChecksumPlan(plan, 0x100, 0x100), "the buffer is empty: there is nothing to check");

    EXPECT_EQ(ChecksumBytes(0x11223344, 4, false), (std::vector<uint8_t>{0x44, 0x33, 0x22, 0x11}));
    EXPECT_EQ(ChecksumBytes(0x1122, 2, true), (std::vector<uint8_t>{0x11, 0x22}));
}

class ChecksumDocumentTest : public DocumentTest {};

// Writing the result is one block write, taken back by undo as a paste is,
// the window's growth included.
TEST_F(ChecksumDocumentTest, WriteIsOneUndoableEdit)
{
    WriteSettings("[Settings]\nundo=1\n");
    auto doc = LoadBytes({'1', '2', '3', '4', '5', '6', '7', '8', '9'});
    ChecksumPlan plan;
    ASSERT_EQ(ParseChecksumOption("crc32:8:0-8:be", true, plan), "");
    std::string notice;
    ASSERT_EQ(ResolveChecksumPlan(plan, doc->Start(), doc->End(), &notice), "");
    EXPECT_EQ(notice, kWrittenInsideRangeText);
    const int32_t entries = doc->Journal().Count();
    EXPECT_EQ(RunChecksum(*doc, plan), 0xCBF43926u);
    EXPECT_EQ(Window(*doc), (std::vector<uint8_t>{'1', '2', '3', '4', '5', '6', '7', '8', 0xCB, 0xF4, 0x39, 0x26}));
    EXPECT_TRUE(doc->IsDirty());
    while (doc->Journal().Count() > entries)
        doc->Undo();
    EXPECT_EQ(Window(*doc), (std::vector<uint8_t>{'1', '2', '3', '4', '5', '6', '7', '8', '9'}));
}
