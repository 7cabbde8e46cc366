#include "view/value_inspector.h"

#include <gtest/gtest.h>

namespace {
const InspectorRow& Row(std::string_view name)
{
    for (const InspectorRow& row : InspectorRows())
        if (row.name == name)
            return row;
    throw std::out_of_range(std::string(name));
}
} // namespace

// Each reading of the same eight bytes, and what shows when the window ends
// before a row's bytes do.
TEST(ValueInspector, RowsReadTheBytesInTheirOrder)
{
    const uint8_t bytes[8] = {0xFE, 0xFF, 0x00, 0x80, 0x00, 0x00, 0xF0, 0x3F};
    struct Case {
        const char* row;
        int32_t available;
        const char* text;
    };
    const Case cases[] = {
        {"Binary", 8, "11111110"},          {"Signed 8", 8, "-2"},
        {"Unsigned 16 LE", 8, "65534"},     {"Signed 16 BE", 8, "-257"},
        {"Signed 32 LE", 8, "-2147418114"}, {"Unsigned 32 BE", 8, "4278124672"},
        {"Signed 64 BE", 8, "-72338519258763201"}, {"Unsigned 64 LE", 8, "4607182420947566590"},
        {"Float LE", 8, "-9.18326936e-41"}, {"Double LE", 8, "1.0000004768517097"},
        {"Unsigned 8", 1, "254"},           {"Unsigned 16 LE", 1, "--"},     {"Double LE", 7, "--"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(InspectorText(Row(c.row), bytes, c.available), c.text) << c.row << " of " << c.available;
}

// Typed values become the row's bytes; values out of range and non-numbers
// are refused with a reason.
TEST(ValueInspector, ParsingChecksTheRange)
{
    using B = std::array<uint8_t, 8>;
    struct Case {
        const char* row;
        const char* text;
        B bytes;
        const char* problem;  // part of the refusal; none when taken
    };
    const Case cases[] = {
        {"Unsigned 8", "256", {}, "too large for unsigned 8-bit"},
        {"Unsigned 8", "-1", {}, "too small"},
        {"Signed 8", "-128", {0x80}, nullptr},
        {"Signed 8", "128", {}, "too large"},
        {"Unsigned 16 LE", "0x1234", {0x34, 0x12}, nullptr},
        {"Unsigned 64 LE", "18446744073709551615", {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, nullptr},
        {"Unsigned 64 LE", "18446744073709551616", {}, "too large"},
        {"Signed 64 LE", "-9223372036854775808", {0, 0, 0, 0, 0, 0, 0, 0x80}, nullptr},
        {"Float BE", "1.5", {0x3F, 0xC0}, nullptr},
        {"Float LE", "1e39", {}, "too large for float"},
        {"Double LE", "1e999", {}, "too large for double"},
        {"Binary", "101", {0x05}, nullptr},
        {"Binary", "101010101", {}, "more than 8 bits"},
        {"Signed 16 BE", " 12ab", {}, "not a number"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.row) + " <- " + c.text);
        B bytes{};
        std::string problem;
        const bool ok = InspectorParse(Row(c.row), c.text, bytes, problem);
        EXPECT_EQ(ok, c.problem == nullptr) << problem;
        if (ok)
            EXPECT_EQ(bytes, c.bytes);
        else
            EXPECT_NE(problem.find(c.problem), std::string::npos) << problem;
    }
    EXPECT_EQ(InspectorPastWindowText(Row("Unsigned 32 LE"), 1),
              "The unsigned 32-bit value needs 4 bytes; only 1 lies in the window from the cursor on. Nothing was "
              "written.");
}
