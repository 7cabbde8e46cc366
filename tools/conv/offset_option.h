#pragma once
// The converter's answers for the 32-bit address space: the load offset of
// --offset, and the guard against an unwanted giant binary output.

#include "buffer/address.h"

#include <string>
#include <string_view>

// Reads --offset's value: decimal, or hex after "0x", with an optional
// leading "-"; at most 0xFFFFFFFF either way. False for anything else.
bool ParseLoadOffset(std::string_view text, Address& offset);

// The problem of writing a binary image of a window ending at `end` without
// --force: empty when it is small enough.
std::string BinaryOutputProblem(Address end);
