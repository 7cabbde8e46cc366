#include "settings/font_record.h"

#include "settings/settings_file.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>

namespace {

int32_t ReadInt(const uint8_t* p)
{
    return int32_t(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 |
                   uint32_t(p[3]) << 24);
}

void WriteInt(uint8_t* p, int32_t v)
{
    const uint32_t u = uint32_t(v);
    for (int i = 0; i < 4; ++i)
        p[i] = uint8_t(u >> (8 * i));
}

}  // namespace

std::optional<OFontRecord> OFontRecord::Parse(const uint8_t* bytes, int32_t length)
{
    if (!bytes || length < kSize)
        return std::nullopt;
    OFontRecord r;
    r.height = ReadInt(bytes);
    r.width = ReadInt(bytes + 4);
    r.escapement = ReadInt(bytes + 8);
    r.orientation = ReadInt(bytes + 12);
    r.weight = ReadInt(bytes + 16);
    r.italic = bytes[20];
    r.underline = bytes[21];
    r.strikeOut = bytes[22];
    r.charSet = bytes[23];
    r.outPrecision = bytes[24];
    r.clipPrecision = bytes[25];
    r.quality = bytes[26];
    r.pitchAndFamily = bytes[27];
    const char* face = reinterpret_cast<const char*>(bytes + 28);
    r.faceName.assign(face, strnlen(face, kFaceSize));
    return r;
}

std::array<uint8_t, OFontRecord::kSize> OFontRecord::Serialize() const
{
    std::array<uint8_t, kSize> b{};
    WriteInt(b.data(), height);
    WriteInt(b.data() + 4, width);
    WriteInt(b.data() + 8, escapement);
    WriteInt(b.data() + 12, orientation);
    WriteInt(b.data() + 16, weight);
    b[20] = italic;
    b[21] = underline;
    b[22] = strikeOut;
    b[23] = charSet;
    b[24] = outPrecision;
    b[25] = clipPrecision;
    b[26] = quality;
    b[27] = pitchAndFamily;
    // The face name always keeps its terminating zero.
    std::memcpy(b.data() + 28, faceName.data(), std::min<size_t>(faceName.size(), kFaceSize - 1));
    return b;
}

namespace {
// Fonts whose saves failed, by file: the running session still shows them.
std::map<std::string, OFontRecord>& KeptFonts()
{
    static std::map<std::string, OFontRecord> fonts;
    return fonts;
}
}  // namespace

OFontRecord OFontRecord::Load(const std::string& path)
{
    if (path.empty())
        return {};
    if (auto kept = KeptFonts().find(path); kept != KeptFonts().end())
        return kept->second;
    std::string bytes;
    const settings::FileState state = settings::ReadSettingsFile(path, bytes, nullptr, settings::kFontFileLimit);
    if (state == settings::FileState::TooLarge)
        settings::ReportTooLarge(path, settings::kFontFileLimit);
    if (state != settings::FileState::Read)
        return {};
    return Parse(reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<int32_t>(std::min<size_t>(bytes.size(), kSize)))
        .value_or(OFontRecord{});
}

bool OFontRecord::Save(const std::string& path) const
{
    if (path.empty())
        return false;
    const auto b = Serialize();
    if (settings::WriteSettingsFile(path, std::string_view(reinterpret_cast<const char*>(b.data()), kSize),
                                    settings::kFontFileLimit)) {
        KeptFonts().erase(path);
        return true;
    }
    KeptFonts()[path] = *this;
    return false;
}

int32_t ChooseFontStyle(const std::vector<FontStyleInfo>& styles, bool italic, int32_t weight)
{
    // A plain name wins a tie: fonts list "Oblique" or "Condensed" at the
    // same weight as the regular face.
    const auto plain = [](const std::string& name) {
        for (const char* word : {"Regular", "Book", "Normal", "Roman", "Medium"})
            if (name == word)
                return true;
        return false;
    };
    int32_t best = -1;
    for (int32_t i = 0; i < int32_t(styles.size()); ++i) {
        const FontStyleInfo& style = styles[size_t(i)];
        if (style.slanted != italic)
            continue;
        if (best < 0) {
            best = i;
            continue;
        }
        const FontStyleInfo& chosen = styles[size_t(best)];
        const int32_t distance = std::abs(style.weight - weight);
        const int32_t bestDistance = std::abs(chosen.weight - weight);
        if (distance < bestDistance || (distance == bestDistance && plain(style.name) && !plain(chosen.name)))
            best = i;
    }
    return best;
}
