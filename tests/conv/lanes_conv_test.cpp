// dravel-conv's --split, --interleave, --swap and --overlay against srec_cat
// on random sparse images, and its answers to bad input.

#include "support/convert_helpers.h"
#include "support/conv_run.h"
#include "support/srec_peer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// Runs dravel-conv in `dir`; its status, with standard error in `err`.
int Conv(const TempDir& dir, const std::string& args, std::string& err)
{
    err.clear();
    return RunCommand(InDir(dir) + ShellQuote(DRAVEL_CONV_PATH) + " " + args, err);
}

// The bytes a file holds that read other than erased: how two writers that
// skip erased runs differently are compared.
ByteImage Written(const TempDir& dir, const std::string& name)
{
    ByteImage written;
    for (const auto& [address, byte] : ReadAll(ReadFileBytes(dir.File(name)), "s3f").image)
        if (byte != 0xFF)
            written[address] = byte;
    return written;
}

ByteImage WithoutErased(const ByteImage& image)
{
    ByteImage written;
    for (const auto& [address, byte] : image)
        if (byte != 0xFF)
            written[address] = byte;
    return written;
}

ByteImage SparseImage(uint32_t seed)
{
    std::mt19937 random(seed);
    ByteImage image;
    int32_t address = random() % 5;
    while (address < 0x30000) {
        const int32_t length = 1 + random() % 700;
        for (int32_t i = 0; i < length; ++i)
            image[address + i] = static_cast<uint8_t>(random());
        address += length + (random() % 3 == 0 ? 35000 : 1 + random() % 40);
    }
    return image;
}
} // namespace

// One table over the shapes: our lanes read back as srec_cat's -split gives
// them, and interleaving them gives the image back.
TEST(LanesConvTest, SplitAgreesWithSrecCatAndInterleaveUndoesIt)
{
    if (!SrecToolsAvailable())
        GTEST_SKIP() << "srec_cat is not installed";
    TempDir dir;
    const char* shapes[] = {"2", "2x2", "4", "4x2"};
    for (const char* shapeText : shapes) {
        const int lanes = shapeText[0] - '0';
        const int width = shapeText[1] ? shapeText[2] - '0' : 1;
        for (uint32_t seed = 1; seed <= 2; ++seed) {
            SCOPED_TRACE(testing::Message() << shapeText << " seed " << seed);
            const ByteImage image = SparseImage(seed);
            dir.Write("in.s3f", WriteAll(image, "s3f").text);
            std::string err;
            ASSERT_EQ(Conv(dir, std::string("--force --split ") + shapeText + " in.s3f out.s3f", err), 0) << err;
            std::string names;
            for (int k = 0; k < lanes; ++k) {
                const std::string ours = lanes == 2 && width == 1 ? (k ? "out.odd.s3f" : "out.even.s3f")
                                                                  : "out." + std::to_string(k) + ".s3f";
                names += ours + " ";
                const std::string peer = "peer" + std::to_string(k) + ".s3f";
                std::string log;
                ASSERT_EQ(RunCommand("cd " + ShellQuote(dir.Path().string()) + " && srec_cat in.s3f -motorola -split " +
                                         std::to_string(lanes * width) + " " + std::to_string(k * width) + " " +
                                         std::to_string(width) + " -o " + peer + " -motorola",
                                     log),
                          0)
                    << log;
                EXPECT_EQ(Written(dir, ours), Written(dir, peer)) << ours;
            }
            const std::string widthOption = width == 2 ? "--lane-width 2 " : "";
            ASSERT_EQ(Conv(dir, "--interleave " + widthOption + names + "merged.s3f", err), 0) << err;
            EXPECT_EQ(Written(dir, "merged.s3f"), WithoutErased(image));
        }
    }
}

// Overlays that do not overlap give what srec_cat A B gives; overlapping
// ones are listed and nothing is written, or kept or replaced as asked.
TEST(LanesConvTest, OverlayAgreesWithSrecCatAndListsOverlaps)
{
    if (!SrecToolsAvailable())
        GTEST_SKIP() << "srec_cat is not installed";
    TempDir dir;
    const ByteImage boot = SparseImage(7);
    ByteImage app;
    for (const auto& [address, byte] : SparseImage(8))
        app[address] = static_cast<uint8_t>(byte | 1);
    dir.Write("boot.s3f", WriteAll(boot, "s3f").text);
    dir.Write("app.s3f", WriteAll(app, "s3f").text);
    std::string err, log;
    ASSERT_EQ(Conv(dir, "--overlay app.s3f@0x40000 boot.s3f out.s3f", err), 0) << err;
    ASSERT_EQ(RunCommand("cd " + ShellQuote(dir.Path().string()) +
                             " && srec_cat boot.s3f -motorola app.s3f -motorola -offset 0x40000 -o peer.s3f -motorola",
                         log),
              0)
        << log;
    EXPECT_EQ(Written(dir, "out.s3f"), Written(dir, "peer.s3f"));

    // 0x20 lands on written bytes wherever both images have some.
    EXPECT_EQ(Conv(dir, "--overlay app.s3f@0x20 boot.s3f over.s3f", err), 1);
    EXPECT_NE(err.find("app.s3f: The bytes land on written ones at:\n  000"), std::string::npos) << err;
    EXPECT_NE(err.find("over.s3f not written"), std::string::npos) << err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("over.s3f")));
    for (const char* policy : {"keep", "replace"}) {
        ASSERT_EQ(Conv(dir, std::string("--overlap ") + policy + " --overlay app.s3f@0x20 boot.s3f over.s3f", err), 0)
            << err;
        // Replacing lays the overlay's FF bytes too.
        ByteImage expected = WithoutErased(boot);
        for (const auto& [address, byte] : app)
            if (std::string(policy) == "replace" || !expected.count(address + 0x20))
                expected[address + 0x20] = byte;
        EXPECT_EQ(Written(dir, "over.s3f"), WithoutErased(expected)) << policy;
    }
}

// Bad input: clear messages, and nothing written, half or whole.
TEST(LanesConvTest, BadInput)
{
    TempDir dir;
    dir.Write("a.bin", std::string("\x01\x02\x03\x04\x05", 5));
    dir.Write("b.bin", std::string("\x11\x12\x13", 3));
    dir.Write("t.bin", std::string("\x21\x22", 2));
    struct Case {
        const char* args;
        int status;
        const char* message;
        const char* written;
    };
    const Case cases[] = {
        {"--split 3 a.bin o.bin", 2, "--split: lanes are 2 or 4", ""},
        {"--split 2x3 a.bin o.bin", 2, "--split: lanes are 2 or 4", ""},
        {"--swap 8 a.bin o.bin", 2, "--swap takes 16 or 32, not \"8\"", ""},
        {"--overlap merge --overlay b.bin a.bin o.bin", 2, "--overlap takes error, keep or replace", ""},
        {"--overlap keep a.bin o.bin", 2, "--overlap applies to --overlay", ""},
        {"--interleave a.bin b.bin t.bin o.bin", 2, "--interleave takes 2 or 4 input files, not 3", ""},
        {"--info --swap 16 a.bin", 2, "--info writes nothing; it does not go with --interleave", ""},
        {"--split 2 a.bin -", 2, "cannot write standard output", ""},
        {"--overlay b.bin@0xFFFFFFFFFF a.bin o.bin", 2, "the offset lies beyond the address space", ""},
        // An odd-length window: its last byte stays where it is, and that is said.
        {"--swap 16 a.bin o.bin", 0, "its last byte (00000004) was left alone.", "o.bin"},
        // Lanes of different sizes are merged as far as they go and reported.
        {"--interleave a.bin b.bin o.bin", 1, "b.bin: 00000000-00000002", ""},
        {"--force --interleave a.bin b.bin o.bin", 1, "a.bin: 00000000-00000004", "o.bin"},
        {"--split 2 a.bin o.bin", 0, "", "o.even.bin"},
        // The lanes exist now: none of them is replaced without --force.
        {"--split 2 t.bin o.bin", 1, "o.even.bin exists; nothing written (--force replaces it)", ""},
        {"--split 2 a.bin missing/o.bin", 1, "the folder missing does not exist", ""},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(dir.File("o.bin"));
        std::string err;
        EXPECT_EQ(Conv(dir, c.args, err), c.status) << c.args << "\n" << err;
        EXPECT_NE(err.find(c.message), std::string::npos) << c.args << "\n" << err;
        if (*c.written) {
            EXPECT_TRUE(std::filesystem::exists(dir.File(c.written))) << c.args;
        } else {
            EXPECT_FALSE(std::filesystem::exists(dir.File("o.bin"))) << c.args;
        }
    }
    EXPECT_EQ(ReadFileBytes(dir.File("o.even.bin")), std::string("\x01\x03\x05", 3));
    EXPECT_EQ(ReadFileBytes(dir.File("o.odd.bin")), std::string("\x02\x04\xFF", 3));
    // Replaced with --force, the set keeps nothing of the old one beside it.
    {
        std::string err;
        EXPECT_EQ(Conv(dir, "--force --split 2 t.bin o.bin", err), 0) << err;
        EXPECT_EQ(ReadFileBytes(dir.File("o.odd.bin")), "\x22");
        for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
            EXPECT_EQ(entry.path().filename().string().find(".dravel-"), std::string::npos) << entry.path();
    }

    // An unwritable folder stops the split before the first lane is written.
    std::filesystem::create_directory(dir.File("locked"));
    ::chmod(dir.File("locked").c_str(), 0555);
    if (::access(dir.File("locked").c_str(), W_OK) != 0) {
        std::string err;
        EXPECT_EQ(Conv(dir, "--split 4 a.bin locked/o.bin", err), 1);
        EXPECT_NE(err.find("cannot be written"), std::string::npos) << err;
        EXPECT_TRUE(std::filesystem::is_empty(dir.File("locked")));
    }
    ::chmod(dir.File("locked").c_str(), 0755);
}
