#pragma once
// Everything the address and fill dialogs decide, without a window: the
// texts the controls start with, and the checks made on OK with the message,
// caption and field each refusal points at. The dialogs only move texts and
// radio states between their controls and these functions.

#include "document/address_request.h"

#include <cstdint>
#include <string>

inline constexpr const char* InvalidInputText = "Invalid input";
inline constexpr const char* ValueTooSmallText = "Value too small";
inline constexpr const char* ValueTooLargeText = "Value too large";
inline constexpr const char* NegativeRangeText = "Negative range";
inline constexpr const char* NegativeRangeCaption = "error";
inline constexpr const char* FillValueCaption = "Fill value";

enum class FillMode { Hex, Dec, Ascii };

// What the user sees in the dialog: the edits' texts and the radio states.
struct AddressInput {
    std::string first;
    bool firstHex = true;          // else decimal
    std::string second;
    bool secondHex = true;
    bool valueIsSize = false;      // else the second value is the last address
    std::string fill;              // fill dialog only
    FillMode fillMode = FillMode::Hex;
};

// The field a refusal is about, so the dialog can put the focus there.
enum class AddressField { None, First, Second, Fill };

struct AddressCheck {
    bool accepted = false;
    // When accepted: the values to store back into the request.
    Address start = 0;
    Address last = 0;
    uint8_t fillValue = 0;
    // When refused: the message box to show (exclamation icon, OK button).
    std::string text;
    std::string caption;
    AddressField field = AddressField::None;
};

// The controls' state when a dialog opens: values in lower-case hex, every
// radio on HEX and "Value is address".
AddressInput InitialAddressInput(const AddressRequest& request);
AddressInput InitialFillInput(const FillRequest& request);

// The checks of the address dialog's OK. A hidden field is not read from the
// input: it keeps the request's own value, since the user could not correct it.
AddressCheck CheckAddressInput(const AddressRequest& request, const AddressInput& input);

// The fill dialog's OK: the fill value first, then the address checks.
AddressCheck CheckFillInput(const AddressRequest& request, const AddressInput& input);

// Writes an accepted check back into the request.
void StoreAddressCheck(AddressRequest& request, const AddressCheck& check);
void StoreFillCheck(FillRequest& request, const AddressCheck& check);
