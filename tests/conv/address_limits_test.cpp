// Where the 24-bit limits used to refuse, clip or stop, the 32-bit ones do
// now: the dialogs' checks, positioning the cursor, the load offset of the
// editor and the converter.

#include "dialogs/address_check.h"
#include "dialogs/number_parser.h"
#include "document/buffer_document.h"
#include "support/recording_host.h"
#include "support/srec_peer.h"
#include "view/memory_info.h"
#include "view/view_commands.h"
#include "view/view_model.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {
std::string Shell(const std::string& text) { return "'" + text + "'"; }

// The check's outcome as one line: "start-last" or "text / caption".
std::string Outcome(const AddressCheck& check)
{
    if (!check.accepted)
        return check.text + " / " + check.caption;
    return FormatSignedHex(check.start) + "-" + FormatSignedHex(check.last);
}

std::string Check(const AddressRequest& request, const char* first, const char* second, bool isSize = false)
{
    AddressInput input;
    input.first = first;
    input.second = second;
    input.valueIsSize = isSize;
    return Outcome(CheckAddressInput(request, input));
}

// The exit status and the first line of what dravel-conv printed.
std::string Conv(const std::string& args)
{
    std::string log;
    const int status = RunCommand(Shell(DRAVEL_CONV_PATH) + " " + args, log);
    return std::to_string(status) + " " + log.substr(0, log.find('\n'));
}
} // namespace

TEST(AddressLimits, EveryLimitSitsAtTheTopOfThe32BitSpace)
{
    TempDir dir;
    RecordingHost host;
    OBufferDocument doc{host, dir.Write("dravel.ini", "[Settings]\n"), "bin"};
    OViewModel model{doc};
    OViewCommands commands{model};
    // A window of the last 256 bytes of the space.
    doc.WriteByte(0x5A, 0xFFFFFFFF);
    doc.Resize(0xFFFFFF00, 0xFFFFFFFF);

    dir.Write("top.s3f", "S308FFFFFFF001020304\r\nS70500000000FA\r\n");
    dir.Write("stm32.int", ":020000040800F2\r\n:0400000001020304F2\r\n:00000001FF\r\n");
    const std::string d = Shell(dir.Path().string()) + "/";

    struct Row {
        const char* what;
        std::function<std::string()> observe;
        std::string expected;
    };
    const AddressRequest plain;
    const AddressRequest offset = LoadOffsetRequest();
    const std::vector<Row> rows = {
        {"the whole space is a range", [&] { return Check(plain, "0", "ffffffff"); }, "0-ffffffff"},
        {"the whole space as a size", [&] { return Check(plain, "0", "4294967296", true); }, "Invalid input / Stop address"},
        {"a size past the top", [&] { return Check(plain, "ffffff00", "101", true); }, "Value too large (at most FFFFFFFF hex) / Stop address"},
        {"a size up to the top", [&] { return Check(plain, "ffffff00", "100", true); }, "ffffff00-ffffffff"},
        {"nothing above 32 bits is typed",
         [&] { return Check(commands.PositionRequest(), "100000000", "0"); },
         "Invalid input / new cursor position"},
        {"the load offset shows 0", [&] { return InitialAddressInput(offset).first; }, "0"},
        {"a negative load offset", [&] { return Check(offset, "-8000000", "0"); }, "-8000000-0"},
        {"a load offset beyond the space", [&] { return Check(offset, "-100000000", "0"); },
         "Invalid input / offset added to every address"},
        {"the cursor reaches the last address",
         [&] {
             AddressRequest request = commands.PositionRequest();
             request.start = 0xFFFFFFFF;
             commands.PositionCursor(request);
             return InfoCursorLine(doc, model.Cursor).substr(0, 28);
         },
         "cursor (ffffffff hex) char ("},
        {"Ctrl+End stands after the top",
         [&] {
             model.CtrlDown = true;
             model.KeyDown(OViewModel::Key::End);
             model.CtrlDown = false;
             return InfoCursorLine(doc, model.Cursor).substr(0, 33);
         },
         "cursor (100000000 hex) char ( - )"},
        {"an offset that pushes bytes past the top", [&] { return Conv("--offset 0x10 " + d + "top.s3f " + d + "o.s3f"); },
         "1 dravel-conv: " + dir.File("top.s3f") + ":1: Format Error: --offset moves FFFFFFF0 past FFFFFFFF"},
        {"an offset that pushes bytes below 0", [&] { return Conv("--offset -0x08000001 " + d + "stm32.int " + d + "o.s3f"); },
         "1 dravel-conv: " + dir.File("stm32.int") + ":2: Format Error: --offset moves 08000000 below 0"},
        {"an offset that brings a file down to 0",
         [&] { return Conv("--info --offset -0x08000000 " + d + "stm32.int"); },
         "0 size (00000004 dec) start (00000000 hex) end (00000003 hex) sum check (0000000a hex)"},
        {"an offset of more than 32 bits", [&] { return Conv("--offset 0x100000000 " + d + "stm32.int " + d + "o.s3f"); },
         "2 dravel-conv: --offset takes a number of at most 32 bits, decimal or 0x hex, with an optional -, not "
         "\"0x100000000\""},
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.observe(), row.expected) << row.what;
}
