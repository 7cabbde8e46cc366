#pragma once
// The two lines of the information panel below a hex view: the buffer's
// size, first and last address (and sum check), and the cursor with the byte
// under it in every radix. Each line ends in blanks so that drawing it over a
// longer previous text wipes that text out.

#include "buffer/address.h"

#include <cstdint>
#include <string>

class OBufferDocument;

// `value` as binary digits, at least `digits` of them, padded with "0".
std::string BinaryString(uint32_t value, int digits);

// The first line. `end` is the first address after the buffer; the file's
// start (execution) address follows the fields when there is one.
std::string InfoSizeLine(Address size, Address start, Address end, uint32_t sum, bool showSum,
                         Address startAddress = kNoAddress);
// "start address 08000A81", as the panel and the converter show it.
std::string StartAddressText(Address startAddress);

// The second line; `byte` is read only when the cursor stands before `end`.
// Characters 128-255 stay single bytes of the program's character page.
std::string InfoCursorLine(Address cursor, Address end, uint8_t byte);

// Both lines with the document's current values.
std::string InfoSizeLine(OBufferDocument& document, bool showSum);
std::string InfoCursorLine(OBufferDocument& document, Address cursor);
