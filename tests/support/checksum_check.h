#pragma once
// The checksum fuzz target's check, shared with the replay of its seeds:
// option text, then a sparse image of two runs; the result over the range
// must equal the same bytes walked one by one.
//
// Input: one line of option text ("crc32:10-2f", with a first byte of '!'
// for --checksum-write), then two 3-byte addresses, then the bytes written
// at both of them.

#include <cstddef>
#include <cstdint>
#include <string>

// Empty when the input is rejected or agrees; otherwise what differed.
std::string CheckChecksumInput(const uint8_t* data, size_t size);
