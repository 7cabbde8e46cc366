// What a file gives beside its bytes survives a conversion: its start
// address in every format that holds one (read back by this program and by
// srec_info), and its S-record endings.

#include "support/recording_host.h"
#include "support/srec_peer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {
std::string Conv(const TempDir& dir, const std::string& args, int* status = nullptr)
{
    std::string log;
    const int s = RunCommand("cd '" + dir.Path().string() + "' && '" DRAVEL_CONV_PATH "' " + args, log);
    if (status)
        *status = s;
    return log;
}
} // namespace

TEST(FileShapeConv, StartAddressesRoundTrip)
{
    const std::string data = ":0400000001020304F2\n";
    const std::string end = ":00000001FF\n";
    const std::string linear = ":0400000508000A8164\n";
    struct Case {
        const char* what;
        const char* inName;
        std::string inText;
        const char* outArgs;  // options, then the output's name
        int status;
        const char* inStart;   // in -v of the input; "" for none
        const char* outStart;  // in -v of the output and srec_info's reading; "" for none
        const char* record;    // a line the output holds
        const char* peer;      // srec_info's input option; nullptr: not asked
    };
    const Case cases[] = {
        {"Intel 05 to Intel", "in.ext", data + linear + end, "o.ext", 0, "08000A81", "08000A81",
         ":0400000508000A8164\n:00000001FF", "-intel"},
        {"Intel 03 stays 03", "in.ext", data + ":0400000312340010A3\n" + end, "o.ext", 0, "00012350", "00012350",
         ":040000031000235076", "-intel"},
        {"03 with data past 64 KiB becomes 05", "in.ext", ":020000040001F9\n" + data + ":0400000312340010A3\n" + end,
         "o.ext", 0, "00012350", "00012350", ":040000050001235083", "-intel"},
        {"Intel 05 to S3", "in.ext", data + linear + end, "o.s3f", 0, "08000A81", "08000A81", "S70508000A8167", ""},
        {"start record amid the data", "in.ext", linear + data + end, "o.s3f", 0, "08000A81", "08000A81",
         "S3090000000001020304EC", ""},
        {"two starts, the last wins", "in.ext", data + ":0400000500000100F6\n" + ":0400000500000200F5\n" + end,
         "o.ext", 0, "00000200 (the last of several", "00000200", ":0400000500000200F5", "-intel"},
        {"S7 to Intel", "in.s3f", "S3090000000001020304EC\nS70512345678E6\n", "o.ext", 0, "12345678", "12345678",
         ":0400000512345678", "-intel"},
        {"S8 after S1 data, to S1 and S9", "in.s1f", "S1050010AABB85\nS804000010EB\n", "--srec-type 1 o.s1f", 0,
         "00000010", "00000010", "S9030010EC", ""},
        {"S5 count ends the file", "in.s1f", "S1050010AABB85\nS1040012CC1D\nS5030002FA\n", "o.ext", 0, "", "",
         ":00000001FF", nullptr},
        {"S5 count that does not match", "in.s1f", "S1050010AABB85\nS1040012CC1D\nS5030003F9\n", "o.ext", 1, "",
         "", nullptr, nullptr},
        {"Tektronix end record", "in.tek", "/00000404010203040A\n/1234000A\n", "o.tek", 0, "00001234", "00001234",
         "/1234000A", "-tektronix"},
        {"Tektronix start to Intel", "in.tek", "/00000404010203040A\n/1234000A\n", "o.ext", 0, "00001234",
         "00001234", ":0400000500001234B1", "-intel"},
        {"start beyond 16 bits in Tektronix", "in.ext", data + linear + end, "o.tek", 1, "08000A81", "", nullptr,
         nullptr},
        {"start beyond S1", "in.ext", data + linear + end, "--srec-type 1 o.s1f", 1, "08000A81", "", nullptr,
         nullptr},
        // Read back, an end record's address is a start address.
        {"no start: S7 holds the end", "in.ext", data + end, "o.s3f", 0, "", "00000004", "S70500000004F6", ""},
        {"TI-TXT holds none", "in.ext", data + linear + end, "o.tix", 0, "08000A81", "", "q", nullptr},
    };
    const bool peers = SrecToolsAvailable();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        dir.Write(c.inName, c.inText);
        const std::string inInfo = Conv(dir, std::string("-v --info ") + c.inName);
        EXPECT_EQ(inInfo.find("start address ") != std::string::npos, *c.inStart != 0) << inInfo;
        EXPECT_TRUE(!*c.inStart || inInfo.find(std::string("start address ") + c.inStart) != std::string::npos)
            << inInfo;
        const std::string args = c.outArgs;
        const std::string outName = args.substr(args.rfind(' ') + 1);
        int status = -1;
        const std::string run = Conv(dir, args.substr(0, args.rfind(' ') + 1) + c.inName + " " + outName, &status);
        EXPECT_EQ(status, c.status) << run;
        if (c.status != 0) {
            EXPECT_FALSE(std::filesystem::exists(dir.File(outName))) << run;
            continue;
        }
        const std::string out = ReadFileBytes(dir.File(outName));
        EXPECT_NE(out.find(c.record), std::string::npos) << out;
        const std::string outInfo = Conv(dir, "-v --info " + outName);
        EXPECT_EQ(outInfo.find("start address ") != std::string::npos, *c.outStart != 0) << outInfo;
        EXPECT_TRUE(!*c.outStart || outInfo.find(std::string("start address ") + c.outStart) != std::string::npos)
            << outInfo;
        if (peers && c.peer) {
            std::string peer;
            RunCommand("srec_info '" + dir.File(outName) + "' " + c.peer, peer);
            EXPECT_EQ(peer.find("Execution Start Address") != std::string::npos, *c.outStart != 0) << peer;
            EXPECT_TRUE(!*c.outStart || peer.find(std::string("Execution Start Address: ") + c.outStart) !=
                                            std::string::npos)
                << peer;
        }
    }
}
