#pragma once
// The converter's answer for the 32-bit address space: the load offset of
// --offset.

#include "buffer/address.h"

#include <string_view>

// Reads --offset's value: decimal, or hex after "0x", with an optional
// leading "-"; at most 0xFFFFFFFF either way. False for anything else.
bool ParseLoadOffset(std::string_view text, Address& offset);

