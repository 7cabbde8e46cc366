#include "support/convert_helpers.h"

#include "formats/format_registry.h"

#include "formats/ffc_in.h"
#include "formats/ffc_out.h"
#include "formats/streams.h"

ReadResult ReadAll(const std::string& text, std::string_view key)
{
    StringInStream stream(text);
    return ReadAll(stream, key);
}

ReadResult ReadAll(InStream& stream, std::string_view key)
{
    OFFCIn in(stream, key);
    ReadResult result;
    result.format = in.ActiveFormat();
    int32_t position = 0;
    while (in.MoreData()) {
        if (in.GetFlags() != 0) {
            if (in.GetFlags() & ffcAddressChange) {
                position = in.GetAddress();
                result.addressChanges.push_back(position);
                in.ClearFlags(ffcAddressChange);
            }
            if (in.GetFlags() & ffcStopMask)
                break;
        }
        result.image[position] = in.NextByte();
        position = static_cast<int32_t>(static_cast<uint32_t>(position) + 1);
    }
    result.flags = in.GetFlags() & ~ffcAddressChange;
    return result;
}

WriteResult WriteAll(const ByteImage& image, std::string_view key, const WriterOptions& options)
{
    StringOutStream stream;
    OFFCOut out(stream, key);
    out.SetOptions(options);
    bool first = true;
    int32_t next = 0;
    for (const auto& [address, byte] : image) {
        if (first || address != next)
            out.SetAddress(address);
        first = false;
        out.PutByte(byte);
        next = address + 1;
    }
    out.Finish();
    return {stream.Text(), out.GetFlags()};
}

ByteImage ImageAt(int32_t address, const std::vector<uint8_t>& bytes)
{
    ByteImage image;
    AddBytes(image, address, bytes);
    return image;
}

void AddBytes(ByteImage& image, int32_t address, const std::vector<uint8_t>& bytes)
{
    for (uint8_t b : bytes)
        image[address++] = b;
}

size_t DrainAllKeys(const uint8_t* data, size_t size, const std::vector<std::string_view>& keys)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    size_t delivered = 0;
    for (std::string_view key : keys) {
        delivered += ReadAll(text, key).image.size();

        StringInStream stream(text);
        OFFCIn in(stream, key);
        while (in.MoreData()) {
            delivered += in.NextByte();
            in.ClearFlags(ffcAddressChange | ffcReadError | ffcChecksumError);
        }
        // Past the end the converter must answer at once.
        delivered += in.NextByte();
    }
    return delivered;
}

std::vector<std::string_view> FuzzKeys(std::string_view family)
{
    std::vector<FileFormat> formats;
    if (family == "intel")
        formats = {ffIntel};
    else if (family == "motorola")
        formats = {ffMotorola};
    else if (family == "tek_sig")
        formats = {ffTektronix, ffSignetics};
    else if (family == "ahx_rca")
        formats = {ffAsciiHex, ffRca};
    else if (family == "image")
        formats = {ffPlainHex, ffBinary};
    else if (family == "elf")
        formats = {ffElf};
    else
        return {};
    // Each format's key and other keys; the empty key runs every trial in
    // recognition order as well.
    std::vector<std::string_view> keys;
    for (FileFormat format : formats) {
        const FormatRow* row = FormatRowOf(format);
        keys.push_back(row->key);
        for (std::string_view aliases = row->aliases; !aliases.empty();) {
            const size_t semi = aliases.find(';');
            keys.push_back(aliases.substr(0, semi));
            aliases = semi == std::string_view::npos ? std::string_view() : aliases.substr(semi + 1);
        }
    }
    keys.emplace_back();
    return keys;
}
