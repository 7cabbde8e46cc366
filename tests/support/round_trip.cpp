#include "support/round_trip.h"

#include "formats/format_registry.h"

#include "document/buffer_document.h"
#include "support/recording_host.h"

#include <fstream>
#include <memory>
#include <string_view>
#include <vector>

namespace {
// The messages a step left, for the failure's description.
std::string Reported(RecordingHost& host)
{
    std::string text;
    for (const RecordedMessage& message : host.messages)
        text += message.caption + ": " + message.text + "; ";
    return text;
}

// Every format that is written and read back, and every key a file is read
// with ("" for recognition alone).
std::vector<const FormatRow*> SaveFormats()
{
    std::vector<const FormatRow*> rows;
    for (const FormatRow& row : kFormatRows)
        if (row.use == FormatUse::ReadWrite)
            rows.push_back(&row);
    return rows;
}
const std::vector<const FormatRow*> kSaveFormats = SaveFormats();
const std::vector<std::string> kTemplateKeys = [] {
    std::vector<std::string> keys;
    for (const FormatRow* row : kSaveFormats)
        keys.push_back(row->key);
    keys.emplace_back();
    return keys;
}();
// Larger windows cost a fuzzing run more time than they add paths.
constexpr int32_t kLargestWindow = 64 * 1024;
constexpr int32_t kLargestImage = 64 * 1024;

std::vector<uint8_t> Bytes(OBufferDocument& doc, Address from)
{
    std::vector<uint8_t> bytes;
    bytes.reserve(static_cast<size_t>(doc.End() - from));
    for (Address a = from; a < doc.End(); ++a)
        bytes.push_back(a < doc.Start() ? 0xFF : doc.ReadByte(a));
    return bytes;
}
} // namespace

std::string WholePathRoundTrip(const uint8_t* data, size_t size, const std::string& folder)
{
    if (size == 0)
        return {};
    const std::string input = folder + "/input";
    const std::string output = folder + "/output";
    {
        std::ofstream file(input, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data + 1), static_cast<std::streamsize>(size - 1));
    }
    RecordingHost host;
    OBufferDocument doc(host, std::string(), kTemplateKeys[data[0] % kTemplateKeys.size()]);
    if (!doc.Open(input))
        return "the input did not open: " + Reported(host);
    if (doc.Size() > kLargestWindow)
        return {};

    for (const FormatRow* row : kSaveFormats) {
        const struct {
            const char* key;
            bool image;       // written from address 0
            bool sixteenBits; // addresses up to 0xFFFF only
            bool start;       // holds a start address (Tektronix: not 0, which reads as none)
        } format{row->key, row->addressBits == 0, row->addressBits == 16, row->startAddress};
        if (format.image && doc.End() > kLargestImage)
            continue;
        const std::string where = std::string(" (saved as ") + format.key + ")";
        host.messages.clear();
        doc.SetPath(output);
        doc.SetFormatKey(format.key);
        doc.Commit(true);
        // Only a 16-bit format may report, and only for a window beyond its
        // range; what it did not report must come back whole.
        if (!host.messages.empty()) {
            const bool fits = !format.sixteenBits || (doc.End() <= 0x10000 && doc.StartAddress() <= 0xFFFF);
            if (fits || Reported(host) != "ERROR: FORMAT ERROR; ")
                return "the save reported " + Reported(host) + where;
            continue;
        }

        OBufferDocument back(host, std::string(), format.key);
        if (!back.Open(output) || !host.messages.empty())
            return "loading the saved file reported " + Reported(host) + where;
        const Address from = format.image ? 0 : doc.Start();
        if (back.Start() != from || back.End() != doc.End())
            return "the window moved" + where;
        // Below the start, the image formats' gap reads as erased bytes.
        if (Bytes(back, from) != Bytes(doc, from))
            return "the bytes changed" + where;
        const bool startHeld = format.start && doc.StartAddress() != kNoAddress &&
                               !(doc.StartAddress() == 0 && std::string_view(format.key) == "tek");
        if (startHeld && back.StartAddress() != doc.StartAddress())
            return "the start address changed" + where;
    }
    return {};
}
