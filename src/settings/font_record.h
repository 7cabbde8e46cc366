#pragma once
// The display font as the font file "selfont.cfg" stores it: one 60-byte
// little-endian record (height, width, escapement, orientation, weight as
// 32-bit integers; italic, underline, strike-out, character set, output and
// clip precision, quality, pitch and family as bytes; a 32-byte face name).

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct OFontRecord {
    static constexpr int32_t kSize = 60;
    static constexpr int32_t kFaceSize = 32;

    // The font used when the file is missing or short: "Courier New", ten
    // units high, normal weight, default character set.
    int32_t height = -10;
    int32_t width = 0;
    int32_t escapement = 0;
    int32_t orientation = 0;
    int32_t weight = 400;
    uint8_t italic = 0;
    uint8_t underline = 0;
    uint8_t strikeOut = 0;
    uint8_t charSet = 1;
    uint8_t outPrecision = 0;
    uint8_t clipPrecision = 0;
    uint8_t quality = 0;
    uint8_t pitchAndFamily = 0;
    std::string faceName = "Courier New";

    bool operator==(const OFontRecord&) const = default;

    // None unless `length` covers a whole record.
    static std::optional<OFontRecord> Parse(const uint8_t* bytes, int32_t length);
    std::array<uint8_t, kSize> Serialize() const;

    // The record of the file at `path`, or the default font when the file
    // cannot be read, is no regular file or is too short.
    static OFontRecord Load(const std::string& path);
    // False when the file could not be written; the failure is reported
    // once and Load gives this record for the rest of the session.
    bool Save(const std::string& path) const;
};

// One style of a font family as the font system lists it.
struct FontStyleInfo {
    std::string name;
    bool slanted = false;  // italic or oblique
    int32_t weight = 400;
};

// The index of the style a record's font is shown as in the font chooser:
// the upright or slanted one as the record asks, the nearest weight, and
// among equals the plain one ("Regular", "Book", ...) before the rest;
// -1 when none fits.
int32_t ChooseFontStyle(const std::vector<FontStyleInfo>& styles, bool italic, int32_t weight);
