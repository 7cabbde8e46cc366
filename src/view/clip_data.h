#pragma once
// What the view puts on the clipboard and how a paste reads it back. The
// copied bytes travel as plain text followed by one zero byte; beside them a
// 10-byte block under the format "ZUMIK 2.0" gives the copied range, so the
// bytes paste back at full length, zero bytes included. The range block comes
// from whichever program owns the clipboard, so it is checked before it is
// believed.

#include "buffer/address.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

inline constexpr const char* kClipFormatName = "ZUMIK 2.0";
inline constexpr size_t kRangeBlockSize = 10;

// The range first..last (inclusive): both addresses little-endian, then two
// zero bytes.
std::array<uint8_t, kRangeBlockSize> MakeRangeBlock(Address first, Address last);

// Bytes of `text` a paste writes: the range block's length when there is a
// block that makes sense and the text holds that many bytes, else the text up
// to its first zero byte.
size_t PasteLength(const uint8_t* text, size_t textSize, const uint8_t* range, size_t rangeSize);

// Text from another program as the program's bytes: characters up to the
// first U+0000 in the Western Windows page, "?" where the page has none.
// `length` receives the count of characters; at most `limit` bytes are made.
std::vector<uint8_t> TextToBytes(const char16_t* text, size_t units, size_t limit, size_t& length);
