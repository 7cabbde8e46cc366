#include "settings/font_record.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {

std::string TempFile(const char* name)
{
    return (std::filesystem::temp_directory_path() / name).string();
}

}  // namespace

TEST(FontRecord, RoundTripsTheSixtyByteLayout)
{
    OFontRecord r;
    r.height = -13;
    r.weight = 700;
    r.italic = 1;
    r.charSet = 0;
    r.pitchAndFamily = 0x31;
    r.faceName = "Lucida Console";
    const auto bytes = r.Serialize();
    EXPECT_EQ(bytes[0], 0xF3);  // -13 little-endian
    EXPECT_EQ(bytes[3], 0xFF);
    EXPECT_EQ(bytes[16], 0xBC);  // 700
    EXPECT_EQ(bytes[17], 0x02);
    EXPECT_EQ(bytes[20], 1);
    EXPECT_EQ(bytes[27], 0x31);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data() + 28)), "Lucida Console");
    EXPECT_EQ(OFontRecord::Parse(bytes.data(), 60), r);
    EXPECT_FALSE(OFontRecord::Parse(bytes.data(), 59));

    // A face name that fills all 32 bytes without a terminator stops there.
    auto full = bytes;
    for (int i = 28; i < 60; ++i)
        full[i] = 'A';
    EXPECT_EQ(OFontRecord::Parse(full.data(), 60)->faceName, std::string(32, 'A'));
}

TEST(FontRecord, MissingOrShortFileGivesTheDefaultFont)
{
    const OFontRecord def;
    EXPECT_EQ(def.faceName, "Courier New");
    EXPECT_EQ(def.height, -10);
    EXPECT_EQ(def.weight, 400);
    EXPECT_EQ(OFontRecord::Load(""), def);
    EXPECT_EQ(OFontRecord::Load(TempFile("dravel_view_no_such_font.cfg")), def);

    const std::string path = TempFile("dravel_view_font_test.cfg");
    {
        std::ofstream out(path, std::ios::binary);
        out << std::string(40, '\x01');
    }
    EXPECT_EQ(OFontRecord::Load(path), def);

    OFontRecord r;
    r.faceName = "Terminal";
    r.height = 12;
    ASSERT_TRUE(r.Save(path));
    EXPECT_EQ(std::filesystem::file_size(path), 60u);
    EXPECT_EQ(OFontRecord::Load(path), r);
    std::remove(path.c_str());
}

TEST(FontRecord, FileOfAnyLengthGivesARecordOrTheDefault)
{
    OFontRecord r;
    r.faceName = "Terminal";
    const auto bytes = r.Serialize();
    const std::string path = TempFile("dravel_font_length_test.cfg");
    for (size_t length : {size_t(0), size_t(59), size_t(60), size_t(61)}) {
        SCOPED_TRACE(length);
        std::string text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        text.resize(length, 'x');
        std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
        EXPECT_EQ(OFontRecord::Load(path), length >= 60 ? r : OFontRecord{});
    }
    std::remove(path.c_str());
    EXPECT_FALSE(r.Save("/proc/self/no/selfont.cfg"));
}

TEST(FontRecord, TheChooserShowsThePlainStyleOfTheRecordsWeight)
{
    const std::vector<FontStyleInfo> dejavu = {
        {"Oblique", true, 400}, {"Bold Oblique", true, 700}, {"Book", false, 400}, {"Bold", false, 700}};
    const std::vector<FontStyleInfo> condensed = {{"Condensed", false, 400}, {"Regular", false, 400}};
    EXPECT_EQ(ChooseFontStyle(dejavu, false, 400), 2);
    EXPECT_EQ(ChooseFontStyle(dejavu, false, 700), 3);
    EXPECT_EQ(ChooseFontStyle(dejavu, true, 600), 1);
    EXPECT_EQ(ChooseFontStyle(condensed, false, 400), 1);
    EXPECT_EQ(ChooseFontStyle(condensed, true, 400), -1);
}
