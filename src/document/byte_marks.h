#pragma once
// Bytes a view or a printed page draws marked (bold on a tinted cell), asked
// row by row so the drawing code needs to know nothing of why they are marked.

#include "buffer/address.h"

#include <cstdint>

class OByteMarks {
public:
    virtual ~OByteMarks() = default;
    // Bit i is set when byte rowFirst + i (i < 16) is marked.
    virtual uint16_t RowMarks(Address rowFirst) const = 0;
};
