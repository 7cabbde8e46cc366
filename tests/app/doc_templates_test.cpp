#include "app/doc_templates.h"

#include <gtest/gtest.h>

#include <string>

TEST(DocTemplatesTest, TableOrderAndKeys)
{
    const char* keys[] = {"s3f", "ext", "bin", "ahx", "tek", "sig", "hex", "mcd", "tix", "elf", "", "c", "vmem", "mif"};
    for (size_t i = 0; i < kDocTemplateCount; ++i)
        EXPECT_EQ(std::string(kDocTemplates[i].defaultExtension), keys[i]);
    EXPECT_STREQ(kDocTemplates[0].description, "Motorola");
    EXPECT_STREQ(kDocTemplates[kAllFilesTemplate].filter, "*.*");
    EXPECT_EQ(TemplateForKey("S3F"), 0);
    EXPECT_EQ(TemplateForKey(""), kAllFilesTemplate);
    EXPECT_EQ(TemplateForKey("s19"), -1);
}

TEST(DocTemplatesTest, NamesMatchTheFirstFittingTemplate)
{
    EXPECT_EQ(MatchTemplate("/data/PROG.S3F"), 0);
    EXPECT_EQ(MatchTemplate("a.s1f"), 0);
    EXPECT_EQ(MatchTemplate("x.s19"), kAllFilesTemplate);  // the third letter must be f
    EXPECT_EQ(MatchTemplate("p.int"), 1);
    EXPECT_EQ(MatchTemplate("p.EXT"), 1);
    EXPECT_EQ(MatchTemplate("rom.asc"), 2);
    EXPECT_EQ(MatchTemplate("rom.ahx"), 3);
    EXPECT_EQ(MatchTemplate("rom.hex"), 6);
    EXPECT_EQ(MatchTemplate("rom.mcd"), 7);
    EXPECT_EQ(MatchTemplate("notes.txt"), kAllFilesTemplate);
    EXPECT_EQ(MatchTemplate("noextension"), kAllFilesTemplate);
    EXPECT_EQ(MatchTemplate("trailing."), kAllFilesTemplate);
    EXPECT_EQ(MatchTemplate("dir.s3f/file"), kAllFilesTemplate);  // only the last component counts
    EXPECT_EQ(MatchTemplate("a.b.hex"), 6);
    EXPECT_EQ(MatchTemplate("folder/"), -1);
    EXPECT_EQ(MatchTemplate("x.s3fx"), kAllFilesTemplate);
}

TEST(DocTemplatesTest, PatternParts)
{
    EXPECT_TRUE(FilterMatches("ab?.c*", "ABX.cpp"));
    EXPECT_FALSE(FilterMatches("ab?.c*", "ab.cpp"));
    EXPECT_TRUE(FilterMatches("*x.bin", "anything.bin"));  // nothing after * is looked at
    EXPECT_FALSE(FilterMatches("*.bin", "a.bi"));
    EXPECT_TRUE(FilterMatches("*.a;*.b", "z.B"));
    EXPECT_FALSE(FilterMatches("", "z.b"));
}

TEST(DocTemplatesTest, WrittenOnlyTypesAreChosenForSavingOnly)
{
    EXPECT_EQ(MatchTemplate("fw.tix"), 8);
    EXPECT_EQ(MatchSaveTemplate("fw.tix"), 8);
    EXPECT_EQ(MatchTemplate("fw.c"), kAllFilesTemplate);
    EXPECT_EQ(MatchSaveTemplate("fw.C"), 11);
    EXPECT_EQ(MatchSaveTemplate("rom.vmem"), 12);
    EXPECT_EQ(MatchSaveTemplate("rom.mif"), 13);
    EXPECT_EQ(MatchSaveTemplate("rom.int"), 1);
    EXPECT_EQ(MatchSaveTemplate("notes.txt"), kAllFilesTemplate);
    // ELF files are opened by their type, never written as one.
    EXPECT_EQ(MatchTemplate("fw.AXF"), kElfTemplate);
    EXPECT_EQ(MatchSaveTemplate("fw.elf"), kAllFilesTemplate);
}

TEST(DocTemplatesTest, SavedNamesNeverKeepAPattern)
{
    const struct {
        const char* path;
        int templateIndex;
        const char* saved;
    } cases[] = {
        {"/d/name.s?f", 0, "/d/name.s3f"},
        {"name.*", kAllFilesTemplate, "name"},
        {"name.[ch]", kAllFilesTemplate + 1, "name.c"},
        {"name.s1f", 0, "name.s1f"},
        {"a.s?f/name", 0, "a.s?f/name"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ConcreteFileName(c.path, c.templateIndex), c.saved) << c.path;
}

TEST(DocTemplatesTest, FirmwareFilesGoByTheirNamesAndNamesFollowTheType)
{
    EXPECT_EQ(TemplateForOpen(1, "a.hex"), 1);
    EXPECT_EQ(TemplateForOpen(kFirmwareFilesType, "a.hex"), 6);
    EXPECT_EQ(TemplateForOpen(kFirmwareFilesType, "a.s19"), kAllFilesTemplate);
    const int binary = TemplateForKey("bin");
    const std::pair<const char*, const char*> names[] = {
        {"/d/fw.HEX", "/d/fw.bin"}, {"/d/fw.s19", "/d/fw.bin"}, {"/d/fw.data", "/d/fw.data"}, {"/d.hex/fw", "/d.hex/fw"}};
    for (const auto& [name, result] : names)
        EXPECT_EQ(WithTypeExtension(name, binary), result) << name;
    EXPECT_EQ(WithTypeExtension("fw.hex", kAllFilesTemplate), "fw.hex");
}
