#include "app/save_questions.h"

#include <gtest/gtest.h>

TEST(SaveQuestions, FormatQuestionOnlyWhenTheSaveWouldWriteAnotherFormat)
{
    struct Case {
        FileFormat read;
        const char* saveKey;
        const char* text;  // nullptr: no question
        const char* keep;
        const char* convert;
        const char* keepKey;
    };
    const Case cases[] = {
        {ffIntel, "hex", "fw.hex was read as Intel HEX. Save it as Intel HEX, or as plain hex image (the file type it "
                         "was opened with)?",
         "Keep Intel HEX", "Save as plain hex image", "ext"},
        {ffIntel, "s3f", "fw.hex was read as Intel HEX. Save it as Intel HEX, or as Motorola S-records (the file type "
                         "it was opened with)?",
         "Keep Intel HEX", "Save as Motorola S-records", "ext"},
        {ffIntel, "", "fw.hex was read as Intel HEX. Save it as Intel HEX, or as raw binary (the file type it was "
                      "opened with)?",
         "Keep Intel HEX", "Save as raw binary", "ext"},
        {ffMotorola, "s1f", nullptr, nullptr, nullptr, nullptr},
        {ffMotorola, "ext", "fw.hex was read as Motorola S-records. Save it as Motorola S-records, or as Intel HEX "
                            "(the file type it was opened with)?",
         "Keep Motorola S-records", "Save as Intel HEX", "s3f"},
        {ffBinary, "int", "fw.hex was read as raw binary. Save it as raw binary, or as Intel HEX (the file type it "
                          "was opened with)?",
         "Keep raw binary", "Save as Intel HEX", "bin"},
        // Same format, the All files template's binary, and a new document.
        {ffIntel, "INT", nullptr, nullptr, nullptr, nullptr},
        {ffBinary, "", nullptr, nullptr, nullptr, nullptr},
        {ffPlainHex, "hex", nullptr, nullptr, nullptr, nullptr},
        {ffUnknown, "int", nullptr, nullptr, nullptr, nullptr},
    };
    for (const Case& c : cases) {
        const auto question = AskFormatBeforeSave("fw.hex", c.read, c.saveKey);
        ASSERT_EQ(question.has_value(), c.text != nullptr) << FormatName(c.read) << " / " << c.saveKey;
        if (!question)
            continue;
        EXPECT_EQ(question->text, c.text);
        EXPECT_EQ(question->keepButton, c.keep);
        EXPECT_EQ(question->convertButton, c.convert);
        EXPECT_EQ(question->keepKey, c.keepKey);
        EXPECT_EQ(FormatFromKey(question->keepKey), c.read);
    }
}

TEST(SaveQuestions, IncompleteLoadNamesTheErrorItsLineAndTheBytesRead)
{
    EXPECT_TRUE(EndsLoad("Format Error"));
    EXPECT_TRUE(EndsLoad("Checksum Error"));
    EXPECT_TRUE(EndsLoad("Read Error"));
    EXPECT_FALSE(EndsLoad("FORMAT ERROR"));  // an insert's: the file itself is whole
    EXPECT_EQ(IncompleteLoadQuestion("fw.s3f", {"Format Error", 37, 1024, "address past FFFFFFFF"}),
              "fw.s3f was not read completely (Format Error at line 37: address past FFFFFFFF). Saving replaces it "
              "with the 1024 bytes "
              "that were read. Save anyway?");
    EXPECT_EQ(IncompleteLoadQuestion("a.int", {"Read Error", 0, 1}),
              "a.int was not read completely (Read Error). Saving replaces it with the 1 byte that was read. "
              "Save anyway?");
}
