// What the readers note beside the bytes: the start address, the record
// size and the line end a same-format save keeps, and where the bytes of
// records at the edges of their address ranges go.

#include "formats/ffc_in.h"
#include "formats/streams.h"

#include <gtest/gtest.h>

#include <string>

TEST(FileShape, ReadersNoteStartRecordSizeAndLineEnd)
{
    struct Case {
        const char* what;
        const char* key;
        std::string text;
        Address start;
        int32_t recordSize;
        const char* lineEnd;
        Address lowest;
        Address highest;
    };
    const std::string intel16 = ":10000000000102030405060708090A0B0C0D0E0F78\n"
                                ":10001000101112131415161718191A1B1C1D1E1F68\n"
                                ":0200200020219D\n";
    const Case cases[] = {
        {"Intel 16-byte records, LF", "ext", intel16 + ":00000001FF\n", kNoAddress, 16, "\n", 0, 0x21},
        {"a record shorter than the next one", "ext",
         ":0100000041BE\r\n:02000100424378\r\n:00000001FF\r\n", kNoAddress, 0, "\r\n", 0, 2},
        {"mixed line ends", "ext", ":0100000041BE\r\n:0100010042BC\n:00000001FF\r\n", kNoAddress, 1, "", 0, 1},
        {"segment record wraps at 64 KiB", "ext", ":020000021000EC\n:04FFFE0001020304F5\n:00000001FF\n",
         kNoAddress, 0, "\n", 0x10000, 0x1FFFF},
        {"S7 at the top", "s3f", "S3090000000001020304EC\nS705FFFFFFFFFE\n", 0xFFFFFFFF, 0, "\n", 0, 3},
        {"Tektronix end record at 0", "tek", "/00000404010203040A\n/00000000\n", kNoAddress, 0, "\n", 0, 3},
        {"TI-TXT in the upper half", "tix", "@FFFFFFFE\r\n01 02\r\nq\r\n", kNoAddress, 0, "\r\n", 0xFFFFFFFE,
         0xFFFFFFFF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        StringInStream stream(c.text);
        OFFCIn in(stream, c.key);
        Address lowest = kNoAddress, highest = kNoAddress;
        while (in.MoreData()) {
            const uint32_t flags = in.GetFlags();
            in.ClearFlags(ffcAddressChange);
            if (flags & ffcStopMask)
                break;
            const Address at = in.GetAddress();
            in.NextByte();
            lowest = lowest == kNoAddress ? at : std::min(lowest, at);
            highest = std::max(highest, at);
        }
        EXPECT_EQ(in.GetFlags() & ~ffcEndOfData, 0u);
        EXPECT_EQ(in.StartAddress(), c.start);
        EXPECT_EQ(in.RecordSize(), c.recordSize);
        EXPECT_EQ(in.LineEnd(), c.lineEnd);
        EXPECT_EQ(lowest, c.lowest);
        EXPECT_EQ(highest, c.highest);
    }
}
