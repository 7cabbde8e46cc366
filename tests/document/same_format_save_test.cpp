// A file saved in the format it was read in keeps its record size, line
// ends, S-record type and start address: a one-byte change changes one line.

#include "document_fixture.h"
#include "support/convert_helpers.h"

#include <sstream>

namespace {
std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}
} // namespace

TEST_F(DocumentTest, SameFormatSaveKeepsTheFilesShape)
{
    // Three runs: whole 16-byte records and a shorter last one each.
    ByteImage image;
    for (int32_t run : {0x100, 0x400, 0x1000})
        for (int32_t i = 0; i < 40; ++i)
            image[run + i] = static_cast<uint8_t>(i * 7);
    struct Case {
        const char* what;
        const char* key;
        WriterOptions shape;
        Address start;
        const char* saveKey;  // the template's key at the save
        int changedLines;     // -1: the file's shape is not kept
    };
    const auto shape = [](int32_t size, const char* lineEnd, int srecBytes = 0) {
        WriterOptions o;
        o.recordSize = size;
        o.lineEnd = lineEnd;
        o.srecAddressBytes = srecBytes;
        return o;
    };
    const Case cases[] = {
        {"Intel, 16 bytes, LF", "ext", shape(16, "\n"), kNoAddress, "ext", 1},
        {"Intel, 24 bytes, CR LF, with a start", "int", shape(24, "\r\n"), 0x1234, "ext", 1},
        {"S1 records, LF, S9 start", "s3f", shape(16, "\n", 2), 0x100, "s3f", 1},
        {"S2 records, CR LF, S8 at the end", "s3f", shape(20, "\r\n", 3), 0x1028, "s3f", 1},
        {"Tektronix, LF", "tek", shape(16, "\n"), 0x100, "tek", 1},
        {"TI-TXT, LF", "tix", shape(16, "\n"), kNoAddress, "tix", 1},
        {"ASCII HEX, 8 a line", "ahx", shape(8, "\r\n"), kNoAddress, "ahx", 1},
        {"saved as another format", "ext", shape(16, "\n"), kNoAddress, "s3f", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriterOptions written = c.shape;
        written.startAddress = c.start;
        const std::string text = WriteAll(image, c.key, written).text;
        const std::string path = dir.Write(std::string("shape.") + c.key, text);
        auto doc = MakeDocument(c.key);
        ASSERT_TRUE(doc->Open(path));
        EXPECT_EQ(doc->StartAddress(), c.start);
        doc->WriteByte(0x55, 0x40A);
        doc->SetFormatKey(c.saveKey);
        ASSERT_TRUE(doc->Commit(true));
        const std::vector<std::string> before = Lines(text), after = Lines(ReadFileBytes(path));
        if (c.changedLines < 0) {
            EXPECT_NE(ReadFileBytes(path).find("\r\n"), std::string::npos);
            EXPECT_NE(after.size(), before.size());
            continue;
        }
        ASSERT_EQ(after.size(), before.size()) << ReadFileBytes(path);
        int changed = 0;
        for (size_t i = 0; i < before.size(); ++i)
            changed += before[i] != after[i];
        EXPECT_EQ(changed, c.changedLines) << ReadFileBytes(path);
    }
}
