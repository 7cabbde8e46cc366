// Interoperability with SRecord's srec_cat: files it writes read back to the
// same bytes at the same addresses, and files this program writes read back
// in srec_cat to the same image.

#include "support/convert_helpers.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
struct Chunk {
    int32_t address;
    std::vector<uint8_t> bytes;
};

// Runs of odd lengths at scattered addresses below `limit`, one of them
// across a 64 KiB boundary when the limit allows.
std::vector<Chunk> RandomChunks(unsigned seed, int32_t limit)
{
    std::mt19937 rng(seed);
    std::vector<Chunk> chunks;
    auto bytes = [&](int n) {
        std::vector<uint8_t> v(n);
        for (uint8_t& b : v)
            b = static_cast<uint8_t>(rng());
        return v;
    };
    chunks.push_back({0, bytes(37)});
    if (limit > 0x10000)
        chunks.push_back({0xFFF3, bytes(101)});
    const int32_t step = (limit - 0x20000 > 0 ? limit - 0x20000 : limit - 0x1000) / 8;
    int32_t at = limit > 0x10000 ? 0x12345 : 0x1000;
    for (int i = 0; i < 6 && at + 600 < limit; ++i) {
        const int n = 1 + static_cast<int>(rng() % 513);
        chunks.push_back({at, bytes(n)});
        at += n + 1 + static_cast<int32_t>(rng() % static_cast<unsigned>(step));
    }
    return chunks;
}

ByteImage ImageOf(const std::vector<Chunk>& chunks)
{
    ByteImage image;
    for (const Chunk& c : chunks)
        AddBytes(image, c.address, c.bytes);
    return image;
}

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const fs::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

class SrecCatInterop : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (std::system("command -v srec_cat >/dev/null 2>&1 && command -v srec_cmp >/dev/null 2>&1") != 0)
            GTEST_SKIP() << "srec_cat is not installed";
        std::string pattern = (fs::temp_directory_path() / "dravel-srec-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override
    {
        if (!dir_.empty())
            fs::remove_all(dir_);
    }

    // The command's exit status; what it printed is kept in `log_`.
    int Run(const std::string& command)
    {
        const fs::path log = dir_ / "log.txt";
        const int status = std::system((command + " >'" + log.string() + "' 2>&1").c_str());
        log_ = ReadFile(log);
        return status;
    }

    // srec_cat's input arguments that place each chunk at its address.
    std::string Inputs(const std::vector<Chunk>& chunks)
    {
        std::string args;
        for (size_t i = 0; i < chunks.size(); ++i) {
            const fs::path file = dir_ / ("chunk" + std::to_string(i) + ".bin");
            WriteFile(file, std::string(chunks[i].bytes.begin(), chunks[i].bytes.end()));
            args += " '" + file.string() + "' -binary -offset " + std::to_string(chunks[i].address);
        }
        return args;
    }

    // What srec_cat writes for `chunks` with the output options `output`.
    std::string PeerWrites(const std::vector<Chunk>& chunks, const std::string& output)
    {
        const fs::path out = dir_ / "peer.txt";
        EXPECT_EQ(Run("srec_cat" + Inputs(chunks) + " -o '" + out.string() + "' " + output), 0) << log_;
        return ReadFile(out);
    }

    // True when srec_cat reads `text` in `format` to exactly `chunks`.
    void ExpectPeerReads(const std::string& text, const std::string& format, const std::vector<Chunk>& chunks)
    {
        const fs::path ours = dir_ / "ours.txt";
        const fs::path reference = dir_ / "reference.s37";
        WriteFile(ours, text);
        ASSERT_EQ(Run("srec_cat" + Inputs(chunks) + " -o '" + reference.string() +
                      "' -motorola -address-length=4"),
                  0)
            << log_;
        const std::string compare =
            "srec_cmp '" + ours.string() + "' " + format + " '" + reference.string() + "' -motorola -verbose";
        EXPECT_EQ(Run(compare), 0) << log_;
        EXPECT_NE(log_.find("are the same"), std::string::npos) << log_;
    }

    fs::path dir_;
    std::string log_;
};

struct Dialect {
    const char* options;
    int32_t limit;
};
} // namespace

TEST_F(SrecCatInterop, ReadsWhatThePeerWritesAsIntel)
{
    const std::vector<Dialect> dialects = {
        {"-intel", 0x1000000},
        {"-intel -crlf -output-block-size=255", 0x1000000},
        {"-intel -output-block-size=7 -execution-start-address=0x123456", 0x1000000},
        {"-intel -address-length=3 -execution-start-address=0x1234", 0x100000},
        {"-intel -address-length=2", 0x10000},
    };
    unsigned seed = 1;
    for (const Dialect& d : dialects) {
        SCOPED_TRACE(d.options);
        const std::vector<Chunk> chunks = RandomChunks(seed++, d.limit);
        const std::string text = PeerWrites(chunks, d.options);
        for (const char* key : {"ext", ""}) {
            ReadResult r = ReadAll(text, key);
            EXPECT_EQ(r.format, ffIntel);
            EXPECT_EQ(r.flags, ffcEndOfData);
            EXPECT_EQ(r.image, ImageOf(chunks));
        }
    }
}

TEST_F(SrecCatInterop, ReadsWhatThePeerWritesAsMotorola)
{
    const std::vector<Dialect> dialects = {
        {"-motorola -address-length=2 -execution-start-address=0", 0x10000},
        {"-motorola -address-length=3 -execution-start-address=0x10 -crlf", 0x1000000},
        {"-motorola -address-length=4 -execution-start-address=0x10 -output-block-size=250", 0x1000000},
        {"-motorola -execution-start-address=0x10 -output-block-size=3", 0x1000000},
    };
    unsigned seed = 100;
    for (const Dialect& d : dialects) {
        SCOPED_TRACE(d.options);
        const std::vector<Chunk> chunks = RandomChunks(seed++, d.limit);
        const std::string text = PeerWrites(chunks, d.options);
        for (const char* key : {"s3f", ""}) {
            ReadResult r = ReadAll(text, key);
            EXPECT_EQ(r.format, ffMotorola);
            EXPECT_EQ(r.flags, ffcEndOfData);
            EXPECT_EQ(r.image, ImageOf(chunks));
        }
    }
}

TEST_F(SrecCatInterop, PeerMotorolaWithoutStartAddressLacksTheEndRecord)
{
    // Without an execution start address srec_cat ends its file with a
    // record count and no end record; the count matches the data records
    // and ends the file as an end record would.
    const std::vector<Chunk> chunks = RandomChunks(7, 0x1000000);
    const std::string text = PeerWrites(chunks, "-motorola -address-length=4");
    ASSERT_EQ(text.find("S7"), std::string::npos);
    ReadResult r = ReadAll(text, "s3f");
    EXPECT_EQ(r.format, ffMotorola);
    EXPECT_EQ(r.flags, ffcEndOfData);
    EXPECT_EQ(r.image, ImageOf(chunks));
}

TEST_F(SrecCatInterop, ReadsSixByteRecordCountsOfLongFiles)
{
    // More than 65535 records make srec_cat count them in an S6 record.
    std::vector<Chunk> chunks = {{0x100, std::vector<uint8_t>(70000, 0x3C)}};
    const std::string text = PeerWrites(chunks, "-motorola -output-block-size=1 -execution-start-address=0");
    ASSERT_NE(text.find("\nS6"), std::string::npos);
    ReadResult r = ReadAll(text, "s3f");
    EXPECT_EQ(r.flags, ffcEndOfData);
    EXPECT_EQ(r.image, ImageOf(chunks));
}

TEST_F(SrecCatInterop, PeerReadsWhatThisProgramWrites)
{
    for (unsigned seed : {11u, 12u, 13u}) {
        const std::vector<Chunk> chunks = RandomChunks(seed, 0x1000000);
        const ByteImage image = ImageOf(chunks);
        SCOPED_TRACE(seed);
        ExpectPeerReads(WriteAll(image, "ext").text, "-intel", chunks);
        ExpectPeerReads(WriteAll(image, "s3f").text, "-motorola", chunks);
    }
}

TEST_F(SrecCatInterop, PeerTakesTheEndAddressAsStartAddress)
{
    // The S7 record carries the address just past the last byte; srec_cat
    // understands any S7 address as an execution start address and passes
    // it on as such.
    const fs::path ours = dir_ / "ours.s37";
    WriteFile(ours, WriteAll(ImageAt(0x1000, {1, 2, 3}), "s3f").text);
    ASSERT_EQ(Run("srec_cat '" + ours.string() + "' -motorola -o - -motorola -address-length=4"), 0) << log_;
    EXPECT_NE(log_.find("S70500001003E7"), std::string::npos) << log_;
}
