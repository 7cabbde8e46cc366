#pragma once
// The record the address and fill dialogs take and return. The caller fills
// in the title, the labels, the limits and the initial values; after a run
// that ended with OK the dialog has stored the entered values back, with a
// size already turned into the last address of the range.

#include "buffer/address.h"

#include <cstdint>
#include <string>

struct AddressRequest {
    // Texts are meant to fit this many bytes including a terminating zero.
    static constexpr int TextCapacity = 255;

    Address lowerLimit = 0;           // smallest value accepted in either field;
                                      // below 0, values may be typed with a "-"
    Address upperLimit = 0xFFFFFFFF;  // largest value accepted in either field
    std::string title = "Enter values";
    Address start = 0;                // first value, an address or an offset
    std::string startLabel = "Start address";
    uint8_t startShown = 1;          // 0 hides the first field
    Address last = 0;                 // returned as the inclusive last address
    std::string lastLabel = "Stop address";
    uint8_t lastShown = 1;           // 0 hides the second field and shortens the dialog
};

// The fill dialog's record: the address request followed by the byte to fill with.
struct FillRequest : AddressRequest {
    uint8_t fillValue = 0xFF;
};

// Title of the prompt for a new document's range; a cancelled prompt gives a
// 512-byte buffer, which the text tells the user.
inline constexpr const char* NewBufferTitle =
    "Enter desired buffer size (cancel creates buffer of 512 bytes)";

// Caption of the prompt for the offset added to every address a file's
// Open or Insert reads, when the settings ask for one.
inline constexpr const char* LoadOffsetTitle = "Load offset";

// The load-offset prompt: one field, like positioning the cursor, that takes
// negative offsets typed with a leading minus.
inline AddressRequest LoadOffsetRequest()
{
    AddressRequest request;
    request.title = LoadOffsetTitle;
    request.startLabel = "offset added to every address";
    request.lowerLimit = -Address{0xFFFFFFFF};
    request.upperLimit = 0xFFFFFFFF;
    request.start = 0;
    request.lastShown = 0;
    return request;
}

// The request the new-document prompt shows: defaults with the title above.
inline AddressRequest NewBufferRequest()
{
    AddressRequest request;
    request.title = NewBufferTitle;
    return request;
}
