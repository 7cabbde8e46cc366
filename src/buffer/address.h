#pragma once
// The one address type of every layer: a signed 64-bit integer, so sums and
// differences of addresses in the 32-bit space never overflow, and -1 still
// means "none".

#include <cstdint>

using Address = int64_t;
constexpr Address kNoAddress = -1;
