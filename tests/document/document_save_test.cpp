#include "document/document_fixture.h"

#include <csignal>
#include <cstring>
#include <filesystem>
#include <sys/resource.h>

using Bytes = std::vector<uint8_t>;

namespace {
// The Intel records of a saved file as "address:count" pairs.
std::vector<std::string> DataRecords(const std::string& text)
{
    std::vector<std::string> records;
    size_t pos = 0;
    while ((pos = text.find(':', pos)) != std::string::npos) {
        std::string line = text.substr(pos + 1, 8);
        if (line.substr(6, 2) == "00")
            records.push_back(line.substr(2, 4) + ":" + line.substr(0, 2));
        ++pos;
    }
    return records;
}

// True when a temporary file of a save stays behind.
bool LeftoverTemp(const TempDir& dir)
{
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        if (entry.path().filename().string().front() == '.')
            return true;
    return false;
}

Bytes WithRun(size_t run)
{
    Bytes bytes = {0x01};
    bytes.insert(bytes.end(), run, 0xFF);
    bytes.push_back(0x02);
    return bytes;
}
} // namespace

TEST_F(DocumentTest, SavingWritesShortErasedRunsAndSkipsLongOnes)
{
    auto ten = LoadBytes(WithRun(10));
    ten->SetPath(dir.File("ten.int"));
    ten->SetFormatKey("ext");
    ASSERT_TRUE(ten->Commit(true));
    EXPECT_EQ(DataRecords(ReadFileBytes(dir.File("ten.int"))), std::vector<std::string>{"0000:0C"});

    auto eleven = LoadBytes(WithRun(11));
    eleven->SetPath(dir.File("eleven.int"));
    eleven->SetFormatKey("ext");
    ASSERT_TRUE(eleven->Commit(true));
    EXPECT_EQ(DataRecords(ReadFileBytes(dir.File("eleven.int"))),
              (std::vector<std::string>{"0000:01", "000C:01"}));

    // Trailing erased bytes: only the very last is written.
    Bytes trailing = {0x01};
    trailing.insert(trailing.end(), 20, 0xFF);
    auto tail = LoadBytes(trailing);
    tail->SetPath(dir.File("tail.int"));
    tail->SetFormatKey("ext");
    ASSERT_TRUE(tail->Commit(true));
    EXPECT_EQ(DataRecords(ReadFileBytes(dir.File("tail.int"))), (std::vector<std::string>{"0000:01", "0014:01"}));
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(DocumentTest, SaveClearsDirtAndJournalAndRoundTrips)
{
    auto doc = LoadBytes({1, 2, 3});
    EXPECT_TRUE(doc->Commit()); // clean: nothing to do
    doc->WriteByte(7, 1);
    std::string path = dir.File("out.bin");
    doc->SetPath(path);
    doc->SetFormatKey("bin");
    ASSERT_TRUE(doc->Commit());
    EXPECT_FALSE(doc->IsDirty());
    EXPECT_FALSE(doc->CanUndo());
    EXPECT_EQ(ReadFileBytes(path), std::string("\x01\x07\x03", 3));
    // No temporary file stays behind.
    EXPECT_FALSE(LeftoverTemp(dir));
}

TEST_F(DocumentTest, WriteErrorKeepsTheOldFileAndTheChanges)
{
    std::string path = dir.Write("keep.bin", "old contents");
    auto doc = LoadBytes(Bytes(200000, 0x5A));
    doc->WriteByte(1, 0);
    doc->SetPath(path);
    doc->SetFormatKey("bin");

    // A file size limit makes the writes fail part way.
    struct rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 100000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool saved_ok = doc->Commit();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(saved_ok);
    EXPECT_EQ(host.messages, (std::vector<RecordedMessage>{{"WRITE ERROR", "ERROR", mbIconStop}}));
    EXPECT_EQ(ReadFileBytes(path), "old contents");
    EXPECT_TRUE(doc->IsDirty());
    EXPECT_TRUE(doc->CanUndo());
    EXPECT_FALSE(LeftoverTemp(dir));
}

TEST_F(DocumentTest, FormatErrorLeavesNoFileAndKeepsTheChanges)
{
    auto doc = MakeDocument("sig");
    host.newBufferAccepted = true;
    host.newBufferStart = 0x12340;
    host.newBufferLast = 0x1234F;
    ASSERT_TRUE(doc->Open());
    doc->WriteByte(0x42, 0x12345);
    std::string path = dir.File("far.sig");
    doc->SetPath(path);
    EXPECT_FALSE(doc->Commit());
    EXPECT_EQ(host.messages, (std::vector<RecordedMessage>{{"FORMAT ERROR", "ERROR", mbIconStop}}));
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_TRUE(doc->IsDirty());
    EXPECT_TRUE(doc->CanUndo());
}

TEST_F(DocumentTest, UncreatableOutputIsReported)
{
    auto doc = LoadBytes({1});
    std::string path = dir.File("no/such/folder/x.bin");
    doc->SetPath(path);
    EXPECT_FALSE(doc->Commit(true));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].style, mbIconStop);
    EXPECT_NE(host.messages[0].text.find(path), std::string::npos);
    EXPECT_NE(host.messages[0].text.find(std::strerror(ENOENT)), std::string::npos);
}

TEST_F(DocumentTest, ClosingAChangedDocumentAsks)
{
    auto doc = LoadBytes({1, 2});
    EXPECT_TRUE(doc->CanClose());
    doc->WriteByte(3, 0);
    host.answer = idCancel;
    EXPECT_FALSE(doc->CanClose());
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0],
              (RecordedMessage{"The document has been changed.\n\n" + doc->Path() + "\n\nDo you want to save the changes?",
                               "image.hex", mbIconQuestion | mbYesNoCancel}));
    host.answer = idNo;
    EXPECT_TRUE(doc->CanClose());
    EXPECT_TRUE(doc->IsDirty());
    host.answer = idYes;
    EXPECT_TRUE(doc->CanClose());
    EXPECT_FALSE(doc->IsDirty());
    EXPECT_EQ(ReadFileBytes(dir.File("image.hex")).substr(0, 4), "0302");

    // Untitled: asks for a name; cancelling the name keeps it open.
    auto untitled = MakeDocument("s3f");
    ASSERT_TRUE(untitled->Open());
    untitled->WriteByte(0, 0);
    EXPECT_FALSE(untitled->CanClose());
    host.savePath = dir.File("named.bin");
    host.saveKey = "bin";
    EXPECT_TRUE(untitled->CanClose());
    EXPECT_EQ(untitled->Path(), host.savePath);
    EXPECT_EQ(ReadFileBytes(host.savePath).size(), 512u);
}

TEST_F(DocumentTest, SaveRevertAndRowOpeningWaitWhileBusy)
{
    auto doc = LoadBytes(Bytes(5000, 0x11));
    const std::string path = dir.File("during.bin");
    doc->SetPath(path);
    doc->SetFormatKey("bin");
    bool tried = false;
    bool saved = true, reverted = true;
    host.onEvents = [&] {
        if (!tried && doc->IsBusy()) {
            tried = true;
            saved = doc->Commit(true);
            reverted = doc->Revert();
        }
    };
    doc->Fill(0, 4999, 0x22);
    host.onEvents = nullptr;
    ASSERT_TRUE(tried);
    EXPECT_FALSE(saved);
    EXPECT_FALSE(reverted);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(Window(*doc), Bytes(5000, 0x22));
    EXPECT_TRUE(doc->IsDirty());
    EXPECT_TRUE(doc->Commit());
    EXPECT_EQ(ReadFileBytes(path), std::string(5000, '\x22'));

    // A view painting while a load runs does not start a second one.
    auto loading = MakeDocument("hex");
    int32_t painted = 1;
    host.onEvents = [&] {
        char text[OBufferDocument::kHexRowSize];
        if (loading->IsBusy() && loading->Size() == 0)
            painted = loading->HexRow(text, 0);
    };
    ASSERT_TRUE(loading->Open(dir.Write("late.hex", PlainHex(Bytes(600, 0x33)))));
    host.onEvents = nullptr;
    EXPECT_EQ(painted, 0);
    EXPECT_EQ(loading->Size(), 600);
    EXPECT_TRUE(host.messages.empty());
}
