#pragma once
// The steps a firmware build runs over an image before it is written:
// keeping or dropping ranges, moving the image, filling holes, generated
// constants and numbers put at an address. Each works on the document's
// bytes and its set of addresses that hold data together: what is dropped
// is erased and leaves the set, what is added joins it.

#include "buffer/address.h"

#include <cstdint>
#include <string>
#include <vector>

class OBufferDocument;

struct AddressSpan {
    Address first;
    Address last;
};

// Keeps only the data inside `keep` (the union of its ranges) and shrinks the
// window to what is left; an image left empty keeps a window of one byte at
// its old start.
void CropImage(OBufferDocument& document, const std::vector<AddressSpan>& keep);
// Drops the data of first..last.
void ExcludeRange(OBufferDocument& document, Address first, Address last);
// Moves the image so that its lowest data address becomes `to`. Returns the
// problem (an empty image, a move past the address space), empty when done.
std::string MoveImage(OBufferDocument& document, Address to);
// Every address of first..last that holds no data gets `value` and becomes
// data; the window widens to take the range in.
void FillHoles(OBufferDocument& document, Address first, Address last, uint8_t value);
// `pattern` repeated over first..last (its first byte at `first`); all of it
// becomes data.
void GenerateBytes(OBufferDocument& document, Address first, Address last, const std::vector<uint8_t>& pattern);
// `value` written in `width` bytes at `at`, low byte first unless `bigEndian`.
void PutNumber(OBufferDocument& document, Address at, uint64_t value, int width, bool bigEndian);
// Writes `bytes` at `at` as data, widening the window as needed.
void PutData(OBufferDocument& document, Address at, const uint8_t* bytes, Address count);
// Every word of `width` bytes (aligned to its width) that holds some data
// is made whole: its other bytes become erased data (0xFF).
void PadToWords(OBufferDocument& document, int width);
