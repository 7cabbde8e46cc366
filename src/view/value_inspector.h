#pragma once
// The values of the bytes at the cursor as the inspector pane lists them:
// the byte in binary, unsigned and signed integers of 8 to 64 bits in both
// byte orders, float and double. Texts and parsing live here; the pane only
// shows the rows and hands back what the user typed.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct InspectorRow {
    enum class Kind { binary, unsigned_, signed_, floating };
    std::string_view name;
    Kind kind;
    int32_t width;  // bytes
    bool bigEndian;
};

// The rows in the pane's order.
const std::vector<InspectorRow>& InspectorRows();

// What a row shows for the bytes at the cursor, of which `available` (0 to
// 8) lie in the window: "--" when the row needs more of them.
std::string InspectorText(const InspectorRow& row, const uint8_t* bytes, int32_t available);

// The row's bytes for `text` (decimal, or hex after "0x", for integers; up
// to eight 0s and 1s for the binary row), in the row's byte order, into
// `bytes`. False, with the reason in `problem`, for text that is no number
// or a value outside the row's range.
bool InspectorParse(const InspectorRow& row, std::string_view text, std::array<uint8_t, 8>& bytes,
                    std::string& problem);

// The message when the value's bytes would run past the window's end.
std::string InspectorPastWindowText(const InspectorRow& row, int32_t available);
