#pragma once
// How big a binary image of a document is, and the words both the editor and
// dravel-conv use for it. A binary image starts at address 0 whatever the
// window's start, so a window ending high gives a large file of mostly
// erased bytes; both faces make sure the user wanted that.

#include "buffer/address.h"

#include <string>

// The editor asks before writing a binary file larger than this.
inline constexpr Address kAskBinaryAbove = Address{16} << 20;
// dravel-conv writes a binary output larger than this only with --force.
inline constexpr Address kForceBinaryAbove = Address{256} << 20;

// Bytes of a binary image whose last window byte is at `end` - 1.
inline Address BinaryImageSize(Address end) { return end > 0 ? end : 0; }

// "N bytes (from 00000000 to LAST)": N in decimal, the addresses in eight
// lower-case hex digits as the information panel shows them.
std::string BinarySizeText(Address end);

// "The binary file will hold N bytes (from FIRST to LAST). Save it?"
std::string BinarySaveQuestion(Address end);
