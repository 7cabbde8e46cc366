#include "dialogs/address_check.h"

#include "dialogs/number_parser.h"

#include <cstdio>

namespace {

AddressCheck Refuse(std::string text, std::string caption, AddressField field)
{
    AddressCheck check;
    check.text = std::move(text);
    check.caption = std::move(caption);
    check.field = field;
    return check;
}

// "Value too small (at least 1234 hex)": the box says what it would take.
std::string LimitText(const char* text, const char* bound, Address limit)
{
    char buffer[80];
    // A limit below 0 (a load offset's) is shown with its minus.
    std::snprintf(buffer, sizeof buffer, "%s (%s %s%llX hex)", text, bound, limit < 0 ? "-" : "",
                  static_cast<unsigned long long>(limit < 0 ? -limit : limit));
    return buffer;
}

// Checks an address against the request's limits.
AddressCheck CheckLimits(const AddressRequest& request, Address address, const std::string& label,
                         AddressField field)
{
    if (address < request.lowerLimit)
        return Refuse(LimitText(ValueTooSmallText, "at least", request.lowerLimit), label, field);
    if (address > request.upperLimit)
        return Refuse(LimitText(ValueTooLargeText, "at most", request.upperLimit), label, field);
    AddressCheck check;
    check.accepted = true;
    return check;
}

// Reads one field; an address is checked against the limits, a size is
// checked later through the last address it gives. On success `value` holds
// it and the result is accepted.
AddressCheck CheckField(const AddressRequest& request, const std::string& text, bool hex,
                        const std::string& label, AddressField field, bool isSize, Address& value)
{
    if (request.lowerLimit < 0) {
        const std::optional<Address> number = ParseSignedNumber(text, hex ? 16 : 10);
        if (!number)
            return Refuse(InvalidInputText, label, field);
        value = *number;
    } else {
        value = ParseNumber(text, hex ? 16 : 10);
        if (value < 0)
            return Refuse(InvalidInputText, label, field);
    }
    if (isSize) {
        AddressCheck check;
        check.accepted = true;
        return check;
    }
    return CheckLimits(request, value, label, field);
}

} // namespace

AddressInput InitialAddressInput(const AddressRequest& request)
{
    AddressInput input;
    // Fields that take negative values show them with a minus.
    const auto format = request.lowerLimit < 0 ? FormatSignedHex : FormatHex;
    input.first = format(request.start);
    input.second = format(request.last);
    return input;
}

AddressInput InitialFillInput(const FillRequest& request)
{
    AddressInput input = InitialAddressInput(request);
    input.fill = FormatHex(request.fillValue);
    return input;
}

AddressCheck CheckAddressInput(const AddressRequest& request, const AddressInput& input)
{
    Address first = request.start;
    if (request.startShown) {
        AddressCheck check = CheckField(request, input.first, input.firstHex, request.startLabel,
                                        AddressField::First, false, first);
        if (!check.accepted)
            return check;
    }

    Address second = request.last;
    bool isSize = false;
    if (request.lastShown) {
        isSize = input.valueIsSize;
        AddressCheck check = CheckField(request, input.second, input.secondHex,
                                        request.lastLabel, AddressField::Second, isSize, second);
        if (!check.accepted)
            return check;
    }

    // Both values are at most 0xFFFFFFFF, so the sum cannot overflow here.
    const Address last = isSize ? first + second - 1 : second;
    if (request.startShown && request.lastShown && last < first)
        return Refuse(NegativeRangeText, NegativeRangeCaption, AddressField::Second);
    // A size is a count, not an address: the range it gives must keep to the limits.
    if (isSize) {
        AddressCheck check = CheckLimits(request, last, request.lastLabel, AddressField::Second);
        if (!check.accepted)
            return check;
    }

    AddressCheck check;
    check.accepted = true;
    check.start = first;
    check.last = last;
    return check;
}

AddressCheck CheckFillInput(const AddressRequest& request, const AddressInput& input)
{
    Address fill = 0;
    switch (input.fillMode) {
    case FillMode::Hex:
        fill = ParseNumber(input.fill, 16);
        break;
    case FillMode::Dec:
        fill = ParseNumber(input.fill, 10);
        break;
    case FillMode::Ascii:
        // The first byte as a signed character: anything beyond ASCII,
        // including the lead byte of any multi-byte character, is refused.
        fill = input.fill.empty() ? 0 : static_cast<int8_t>(input.fill.front());
        break;
    }
    if (fill < 0 || fill > 255)
        return Refuse(InvalidInputText, FillValueCaption, AddressField::Fill);

    AddressCheck check = CheckAddressInput(request, input);
    if (check.accepted)
        check.fillValue = static_cast<uint8_t>(fill);
    return check;
}

void StoreAddressCheck(AddressRequest& request, const AddressCheck& check)
{
    request.start = check.start;
    request.last = check.last;
}

void StoreFillCheck(FillRequest& request, const AddressCheck& check)
{
    StoreAddressCheck(request, check);
    request.fillValue = check.fillValue;
}
