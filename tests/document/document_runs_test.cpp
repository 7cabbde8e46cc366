// The document moves bytes in runs; every result must be what moving them
// one at a time gives. Each case is loaded, saved through every writer,
// edited, undone and inserted, and compared with the byte-at-a-time loops
// of the test support run on a buffer of its own.

#include "document/document_fixture.h"

#include "buffer/data_buffer.h"
#include "formats/ffc_in.h"
#include "formats/ffc_out.h"
#include "formats/streams.h"
#include "support/byte_reference.h"
#include "support/convert_helpers.h"

using Bytes = std::vector<uint8_t>;

namespace {
constexpr const char* kKeys[] = {"s3f", "ext", "ahx", "tek", "sig", "mcd", "hex", "bin"};

struct Random {
    uint32_t seed;
    int32_t operator()(uint32_t range)
    {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int32_t>((seed >> 8) % range);
    }
};

// A few stretches below `limit`, with erased bytes of every run length in them.
ByteImage SparseImage(Random& next, int32_t limit, int32_t lowest = 0)
{
    ByteImage image;
    for (int stretch = 0; stretch < 5; ++stretch) {
        int32_t address = lowest + next(static_cast<uint32_t>(limit - lowest - 3000));
        for (int32_t n = next(3000); n > 0; --n)
            image[address++] = next(8) == 0 ? 0xFF : static_cast<uint8_t>(next(256));
    }
    return image;
}

Bytes WindowOf(ODataBuffer& buffer)
{
    Bytes bytes;
    for (int32_t a = buffer.Start(); a < buffer.End(); ++a)
        bytes.push_back(buffer.At(a));
    return bytes;
}

std::vector<std::string> LoadMessages(uint32_t flags, bool inserting)
{
    std::vector<std::string> texts;
    if (flags & ffcFormatError)
        texts.push_back(inserting ? "FORMAT ERROR" : "Format Error");
    if (flags & ffcReadError)
        texts.push_back(inserting ? "READ ERROR" : "Read Error");
    if (flags & ffcChecksumError)
        texts.push_back(inserting ? "CHECKSUM ERROR" : "Checksum Error");
    return texts;
}

std::vector<std::string> Texts(const std::vector<RecordedMessage>& messages)
{
    std::vector<std::string> texts;
    for (const RecordedMessage& m : messages)
        texts.push_back(m.text);
    return texts;
}

// A file's text with one line of its middle damaged in the named way.
std::string Damaged(std::string text, const std::string& how)
{
    size_t line = text.size() / 2;
    line = text.rfind('\n', line);
    line = line == std::string::npos ? 0 : line + 1;
    if (how == "digit")
        // A data or checksum digit: a checksum error where there is a sum.
        text[line + 11] = text[line + 11] == '0' ? '1' : '0';
    else if (how == "marker")
        text[line] = '#';
    else if (how == "cut")
        text.resize(line + 7);
    return text;
}

bool HasEndRecord(std::string_view key) { return key == "s3f" || key == "ext" || key == "tek" || key == "sig"; }

struct Case {
    std::string name;
    std::string text;
    std::string key;
};

std::vector<Case> Cases()
{
    std::vector<Case> cases;
    Random next{2024};
    for (std::string key : kKeys) {
        const bool wide = key == "s3f" || key == "ext";
        const bool image = key == "hex" || key == "bin";
        const int32_t limit = wide ? 0x12000 : 0x10000;
        const std::string text = WriteAll(SparseImage(next, limit), key).text;
        cases.push_back({key, text, key});
        if (image)
            continue;
        for (std::string how : {"digit", "marker", "cut"})
            cases.push_back({key + " " + how, Damaged(text, how), key});
        // A file whose later records lie below its first one.
        std::string high = WriteAll(SparseImage(next, limit, limit / 2), key).text;
        if (HasEndRecord(key))
            high.resize(high.rfind('\n', high.size() - 2) + 1);
        cases.push_back({key + " below", high + WriteAll(SparseImage(next, limit / 2), key).text, key});
        if (wide) {
            // Records reaching past the address space and beyond it.
            ByteImage top = SparseImage(next, 0x1000000, 0xFFD000);
            AddBytes(top, 0xFFFFF0, Bytes(0x20, 0x5A));
            AddBytes(top, 0x1000100, Bytes(0x30, 0xA5));
            cases.push_back({key + " past 16 MiB", WriteAll(top, key).text, key});
        }
    }
    // Erased runs of every length at the start, in the middle (once across
    // the 256-byte steps of the loops) and at the end of the window.
    for (int32_t run = 0; run <= 12; ++run)
        for (int32_t lead : {1, 250}) {
            Bytes bytes(static_cast<size_t>(run), 0xFF);
            bytes.insert(bytes.end(), static_cast<size_t>(lead), 0x01);
            bytes.insert(bytes.end(), static_cast<size_t>(run), 0xFF);
            bytes.push_back(0x02);
            bytes.insert(bytes.end(), static_cast<size_t>(run), 0xFF);
            cases.push_back({"erased " + std::to_string(run), PlainHex(bytes), "hex"});
        }
    return cases;
}
} // namespace

TEST_F(DocumentTest, RunPathsGiveWhatByteAtATimeLoopsGive)
{
    WriteSettings("[Settings]\nsumcheck=1\n");
    Random next{99};
    for (const Case& c : Cases()) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.Write("case", c.text);
        auto expectSame = [&](OBufferDocument& doc, ODataBuffer& ref) {
            ASSERT_EQ(doc.Start(), ref.Start());
            ASSERT_EQ(Window(doc), WindowOf(ref));
            EXPECT_EQ(doc.Sum(), ReferenceSum(ref));
        };
        // A save in the format the file was read in keeps its shape.
        FileFormat readFormat = ffUnknown;
        WriterOptions shape;
        std::string lineEnd;
        auto referenceLoad = [&](ODataBuffer& ref, std::string_view key, int64_t origin) {
            FileInStream stream(path);
            OFFCIn in(stream, key);
            const uint32_t flags = ReferenceLoad(ref, in, origin);
            readFormat = in.ActiveFormat();
            shape.recordSize = in.RecordSize();
            lineEnd = in.LineEnd();
            shape.startAddress = in.StartAddress();
            shape.startSegmentForm = in.StartInSegmentForm();
            const Address reach = Address{1} << (8 * in.AddressBytes());
            shape.srecAddressBytes = ref.End() <= reach && in.StartAddress() < reach ? in.AddressBytes() : 0;
            return flags;
        };

        host.messages.clear();
        auto doc = MakeDocument(c.key);
        ASSERT_TRUE(doc->Open(path));
        ODataBuffer ref;
        const uint32_t flags = referenceLoad(ref, c.key, 0);
        if (ref.Size() == 0)
            ref.Put(0xFF);
        EXPECT_EQ(Texts(host.messages), LoadMessages(flags, false));
        expectSame(*doc, ref);

        for (const char* key : kKeys) {
            // Images start at address 0; one of a window at the top is all gap.
            if (ref.Start() > 0x100000 && FormatFromKey(key) >= ffPlainHex)
                continue;
            doc->SetPath(dir.File("saved"));
            doc->SetFormatKey(key);
            const std::string before = ReadFileBytes(dir.File("saved"));
            doc->Commit(true);
            StringOutStream expected;
            OFFCOut out(expected, key);
            WriterOptions options;
            options.startAddress = shape.startAddress;
            options.startSegmentForm = shape.startSegmentForm;
            if (FormatFromKey(key) == readFormat) {
                options.recordSize = shape.recordSize;
                options.srecAddressBytes = shape.srecAddressBytes;
                options.lineEnd = lineEnd;
            }
            out.SetOptions(options);
            ReferenceSave(ref, out);
            // A save that reports a format error leaves the file as it was.
            ASSERT_EQ(ReadFileBytes(dir.File("saved")), out.GetFlags() & ffcFormatError ? before : expected.Text())
                << "saved as " << key;
        }

        // Edits over, across and beyond the window, long and short, then
        // undone; each edit's block entry holds what was there before.
        const Bytes loaded = Window(*doc);
        const int32_t loadedStart = doc->Start();
        uint32_t sum = doc->Sum();
        for (int edit = 0; edit < 4; ++edit) {
            const int32_t a = ref.Start() - 0x100 + next(static_cast<uint32_t>(ref.Size() + 0x800));
            const int32_t n = 1 + next(edit % 2 ? 3000 : 900);
            const Bytes bytes = [&] {
                Bytes b(static_cast<size_t>(n));
                for (uint8_t& x : b)
                    x = static_cast<uint8_t>(next(256));
                return b;
            }();
            const int32_t size = ref.Size();
            const int32_t first = std::max(a, 0);
            const int32_t last = int32_t(std::min<Address>(a + n - 1, edit < 2 ? ODataBuffer::AddressLimit - 1 : ref.End() - 1));
            if (edit < 2 && last < first)
                continue;
            const Bytes before = ReferenceCopy(ref, first, last);
            if (edit < 2) {
                doc->WriteBlock(bytes.data(), a, n);
                ReferencePut(ref, first, bytes.data() + (first - a), last - first + 1, false, sum);
            } else {
                doc->Fill(a, a + n - 1, bytes[0]);
                if (first <= last)
                    ReferencePut(ref, first, bytes.data(), last - first + 1, true, sum);
            }
            if (ref.Size() != size)
                sum = ReferenceSum(ref);
            const OUndoJournal& journal = doc->Journal();
            const OUndoEntry& entry = journal.At(journal.Count() - (journal.Newest().kind == ukWindow ? 2 : 1));
            ASSERT_EQ(entry.kind, ukBlock);
            ASSERT_TRUE(entry.copy);
            EXPECT_EQ(Bytes(entry.copy->begin(), entry.copy->begin() + entry.size), before);
            EXPECT_EQ(doc->Sum(), sum);
        }
        expectSame(*doc, ref);
        while (doc->CanUndo())
            doc->Undo();
        EXPECT_EQ(doc->Start(), loadedStart);
        EXPECT_EQ(Window(*doc), loaded);
        EXPECT_EQ(doc->Sum(), doc->SumWindow());

        // Inserting the file into a document of its own kind, low and at the
        // top of the address space, where what does not fit is dropped.
        for (const int32_t origin : {0x40, 0xFFFFC0}) {
            host.messages.clear();
            ODataBuffer into;
            into.SetPosition(origin - 0x40);
            into.PutFill(0x33, 0x20);
            auto target = MakeDocument("s3f");
            const std::string base = WriteAll(ImageAt(origin - 0x40, Bytes(0x20, 0x33)), "s3f").text;
            ASSERT_TRUE(target->Open(dir.Write("base.s3f", base)));
            target->SetFormatKey(c.key);
            target->InsertFile(origin, path);
            const Bytes copied = ReferenceCopy(into, into.Start(), into.End() - 1);
            const uint32_t insertFlags = referenceLoad(into, c.key, origin);
            EXPECT_EQ(Texts(host.messages), LoadMessages(insertFlags, true));
            ASSERT_GE(target->Journal().Count(), 1);
            EXPECT_EQ(Bytes(target->Journal().At(0).copy->begin(), target->Journal().At(0).copy->end() - 1), copied);
            expectSame(*target, into);
        }
    }
}
