#pragma once
// What the checksum command and dravel-conv's --checksum options ask of a
// document: an algorithm, a range of the window, and where the result goes.
// The checks and their messages are the same in both.

#include "buffer/address.h"
#include "document/checksum.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class OBufferDocument;

inline constexpr const char* kWrittenInsideRangeText = "the result is written inside the range it covers";

struct ChecksumPlan {
    ChecksumAlgorithm algorithm;
    // The range, inclusive; kNoAddress for the whole window.
    Address first = kNoAddress;
    Address last = kNoAddress;
    // Where the result is written; kNoAddress for nowhere.
    Address writeAt = kNoAddress;
    bool bigEndian = false;
};

// The problem of first..last as a range of the window start..end-1; empty
// when it lies inside it and runs upwards.
std::string CheckChecksumRange(Address first, Address last, Address start, Address end);
// The problem of writing `bytes` result bytes from `at`: outside the
// address space; empty when they fit.
std::string CheckChecksumWrite(Address at, int bytes);
// The result's bytes overlap the range they are computed over.
bool WritesInsideRange(const ChecksumPlan& plan);

// The result as `bytes` bytes in the chosen order.
std::vector<uint8_t> ChecksumBytes(uint32_t value, int bytes, bool bigEndian);

// A hexadecimal address ("0x" optional) of the 32-bit space; kNoAddress when
// the text is not one.
Address ParseChecksumAddress(std::string_view text);

// The plan's range made concrete for `document` (the whole window when not
// given), checked together with the write address. Returns the problem;
// `notice` receives kWrittenInsideRangeText when that applies.
std::string ResolveChecksumPlan(ChecksumPlan& plan, Address start, Address end, std::string* notice = nullptr);

// The algorithm over first..last of the document, a slice at a time: over
// a huge window a long operation the user can stop, none when stopped.
std::optional<uint32_t> DocumentChecksum(OBufferDocument& document, const ChecksumAlgorithm& algorithm,
                                         Address first, Address last);
// Writes `value` where the resolved plan says, as one edit (one undo step).
void WriteChecksum(OBufferDocument& document, const ChecksumPlan& plan, uint32_t value);
// Computes a resolved plan over the document and, when it says where,
// writes the result there; a stopped computation writes nothing.
uint32_t RunChecksum(OBufferDocument& document, const ChecksumPlan& plan);

// "NAME FIRST-LAST VALUE", as dravel-conv prints a result.
std::string ChecksumLine(const ChecksumPlan& plan, uint32_t value);
