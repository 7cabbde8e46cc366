#include "view/value_inspector.h"

#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

using Kind = InspectorRow::Kind;

uint64_t Gather(const InspectorRow& row, const uint8_t* bytes)
{
    uint64_t value = 0;
    for (int32_t i = 0; i < row.width; ++i) {
        const int32_t at = row.bigEndian ? i : row.width - 1 - i;
        value = value << 8 | bytes[at];
    }
    return value;
}

void Scatter(const InspectorRow& row, uint64_t value, std::array<uint8_t, 8>& bytes)
{
    for (int32_t i = 0; i < row.width; ++i) {
        const int32_t at = row.bigEndian ? row.width - 1 - i : i;
        bytes[size_t(at)] = uint8_t(value >> (8 * i));
    }
}

std::string Bits(const InspectorRow& row) { return std::to_string(8 * row.width) + "-bit"; }

std::string KindName(const InspectorRow& row)
{
    switch (row.kind) {
    case Kind::unsigned_: return "unsigned " + Bits(row);
    case Kind::signed_: return "signed " + Bits(row);
    case Kind::floating: return row.width == 4 ? "float" : "double";
    default: return "binary";
    }
}

std::string Trimmed(std::string_view text)
{
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const size_t last = text.find_last_not_of(" \t");
    return std::string(text.substr(first, last - first + 1));
}

} // namespace

const std::vector<InspectorRow>& InspectorRows()
{
    static const std::vector<InspectorRow> rows{
        {"Binary", Kind::binary, 1, false},
        {"Unsigned 8", Kind::unsigned_, 1, false},    {"Signed 8", Kind::signed_, 1, false},
        {"Unsigned 16 LE", Kind::unsigned_, 2, false}, {"Unsigned 16 BE", Kind::unsigned_, 2, true},
        {"Signed 16 LE", Kind::signed_, 2, false},     {"Signed 16 BE", Kind::signed_, 2, true},
        {"Unsigned 32 LE", Kind::unsigned_, 4, false}, {"Unsigned 32 BE", Kind::unsigned_, 4, true},
        {"Signed 32 LE", Kind::signed_, 4, false},     {"Signed 32 BE", Kind::signed_, 4, true},
        {"Unsigned 64 LE", Kind::unsigned_, 8, false}, {"Unsigned 64 BE", Kind::unsigned_, 8, true},
        {"Signed 64 LE", Kind::signed_, 8, false},     {"Signed 64 BE", Kind::signed_, 8, true},
        {"Float LE", Kind::floating, 4, false},        {"Float BE", Kind::floating, 4, true},
        {"Double LE", Kind::floating, 8, false},       {"Double BE", Kind::floating, 8, true},
    };
    return rows;
}

std::string InspectorText(const InspectorRow& row, const uint8_t* bytes, int32_t available)
{
    if (available < row.width)
        return "--";
    const uint64_t value = Gather(row, bytes);
    char text[40];
    switch (row.kind) {
    case Kind::binary:
        for (int i = 0; i < 8; ++i)
            text[i] = char('0' + ((value >> (7 - i)) & 1));
        text[8] = 0;
        break;
    case Kind::unsigned_: std::snprintf(text, sizeof text, "%llu", static_cast<unsigned long long>(value)); break;
    case Kind::signed_: {
        // Sign-extend from the row's width.
        const int shift = 64 - 8 * row.width;
        const auto signedValue = static_cast<int64_t>(value << shift) >> shift;
        std::snprintf(text, sizeof text, "%lld", static_cast<long long>(signedValue));
        break;
    }
    case Kind::floating:
        if (row.width == 4)
            std::snprintf(text, sizeof text, "%.9g", double(std::bit_cast<float>(uint32_t(value))));
        else
            std::snprintf(text, sizeof text, "%.17g", std::bit_cast<double>(value));
        break;
    }
    return text;
}

bool InspectorParse(const InspectorRow& row, std::string_view input, std::array<uint8_t, 8>& bytes,
                    std::string& problem)
{
    bytes.fill(0);
    const std::string text = Trimmed(input);
    const std::string tooLarge = text + " is too large for " + KindName(row);
    problem = "\"" + text + "\" is not a number for " + KindName(row);
    if (text.empty())
        return false;
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    if (row.kind == Kind::binary) {
        if (text.size() > 8 && text.find_first_not_of("01") == std::string::npos) {
            problem = text + " has more than 8 bits";
            return false;
        }
        if (text.find_first_not_of("01") != std::string::npos)
            return false;
        bytes[0] = uint8_t(std::strtoul(begin, nullptr, 2));
        return true;
    }
    if (row.kind == Kind::floating) {
        const double value = std::strtod(begin, &end);
        if (*end != 0 || end == begin)
            return false;
        if (errno == ERANGE && std::isinf(value)) {
            problem = tooLarge;
            return false;
        }
        if (row.width == 4) {
            if (std::isfinite(value) && std::fabs(value) > double(std::numeric_limits<float>::max())) {
                problem = tooLarge;
                return false;
            }
            Scatter(row, std::bit_cast<uint32_t>(float(value)), bytes);
        } else {
            Scatter(row, std::bit_cast<uint64_t>(value), bytes);
        }
        return true;
    }
    const bool negative = text[0] == '-';
    const bool hex = text.size() > 2 && text[negative ? 1 : 0] == '0' && (text[negative ? 2 : 1] | 0x20) == 'x';
    const char* digits = begin + (negative ? 1 : 0);
    if (*digits == '+' || *digits == '-' || *digits == ' ')
        return false;
    const unsigned long long magnitude = std::strtoull(digits, &end, hex ? 16 : 10);
    if (*end != 0 || end == digits)
        return false;
    const int bits = 8 * row.width;
    const uint64_t mask = bits == 64 ? ~uint64_t{0} : (uint64_t{1} << bits) - 1;
    // Signed rows reach 2^(bits-1) below zero and 2^(bits-1)-1 above.
    const uint64_t limitUp = row.kind == Kind::signed_ ? mask >> 1 : mask;
    const uint64_t limitDown = row.kind == Kind::signed_ ? (mask >> 1) + 1 : 0;
    if (errno == ERANGE || (!negative && magnitude > limitUp)) {
        problem = tooLarge;
        return false;
    }
    if (negative && magnitude > limitDown) {
        problem = text + " is too small for " + KindName(row);
        return false;
    }
    Scatter(row, negative ? (~uint64_t(magnitude) + 1) & mask : uint64_t(magnitude), bytes);
    return true;
}

std::string InspectorPastWindowText(const InspectorRow& row, int32_t available)
{
    return "The " + KindName(row) + " value needs " + std::to_string(row.width) + " bytes; only " +
           std::to_string(available) + (available == 1 ? " lies" : " lie") +
           " in the window from the cursor on. Nothing was written.";
}
