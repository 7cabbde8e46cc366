#include "dialogs/address_check.h"

#include <gtest/gtest.h>

#include <string>

namespace {

AddressInput Input(std::string first, std::string second, bool valueIsSize = false)
{
    AddressInput input;
    input.first = std::move(first);
    input.second = std::move(second);
    input.valueIsSize = valueIsSize;
    return input;
}

void ExpectAccepted(const AddressCheck& check, int32_t start, int32_t last)
{
    ASSERT_TRUE(check.accepted) << check.text << " / " << check.caption;
    EXPECT_EQ(check.start, start);
    EXPECT_EQ(check.last, last);
}

void ExpectRefused(const AddressCheck& check, const std::string& text,
                   const std::string& caption, AddressField field)
{
    EXPECT_FALSE(check.accepted);
    EXPECT_EQ(check.text, text);
    EXPECT_EQ(check.caption, caption);
    EXPECT_EQ(check.field, field);
}

FillRequest FillSelection()
{
    FillRequest request;
    request.title = "Fill selection";
    request.lowerLimit = 0x200;
    request.upperLimit = 0x3FF;
    request.start = 0x200;
    request.last = 0x3FF;
    return request;
}

} // namespace

TEST(AddressRequest, DefaultsAndNewBufferPrompt)
{
    AddressRequest request;
    EXPECT_EQ(request.lowerLimit, 0);
    EXPECT_EQ(request.upperLimit, 0xFFFFFFFF);
    EXPECT_EQ(request.title, "Enter values");
    EXPECT_EQ(request.startLabel, "Start address");
    EXPECT_EQ(request.lastLabel, "Stop address");
    EXPECT_EQ(request.start, 0);
    EXPECT_EQ(request.last, 0);
    EXPECT_TRUE(request.startShown && request.lastShown);
    EXPECT_EQ(NewBufferRequest().title,
              "Enter desired buffer size (cancel creates buffer of 512 bytes)");
}

TEST(AddressCheck, InitialTextsAreLowerCaseHexOnHexAndAddress)
{
    FillRequest request;
    request.start = 0x1FF;
    request.last = 0xABCDEF;
    request.fillValue = 0xFF;
    AddressInput input = InitialFillInput(request);
    EXPECT_EQ(input.first, "1ff");
    EXPECT_EQ(input.second, "abcdef");
    EXPECT_EQ(input.fill, "ff");
    EXPECT_TRUE(input.firstHex && input.secondHex);
    EXPECT_FALSE(input.valueIsSize);
    EXPECT_EQ(input.fillMode, FillMode::Hex);
    // Accepting the initial texts unchanged gives back the request's values.
    ExpectAccepted(CheckAddressInput(request, input), 0x1FF, 0xABCDEF);
}

TEST(AddressCheck, AcceptsAddressesAndSizes)
{
    AddressRequest request;
    ExpectAccepted(CheckAddressInput(request, Input("", "1FF")), 0, 511);
    ExpectAccepted(CheckAddressInput(request, Input("100", "1ff")), 0x100, 0x1FF);
    ExpectAccepted(CheckAddressInput(request, Input("100", "10", true)), 0x100, 0x10F);
    ExpectAccepted(CheckAddressInput(request, Input("1", "ffffff", true)), 1, 0xFFFFFF);
    ExpectAccepted(CheckAddressInput(request, Input("5", "5")), 5, 5);

    AddressInput decimal = Input("256", "16", true);
    decimal.firstHex = false;
    decimal.secondHex = false;
    ExpectAccepted(CheckAddressInput(request, decimal), 256, 271);
}

TEST(AddressCheck, RefusesFieldsWithTheirLabelAsCaption)
{
    AddressRequest request;
    request.startLabel = "new cursor position";
    AddressInput input = Input("1ff", "0");
    input.firstHex = false;
    ExpectRefused(CheckAddressInput(request, input), "Invalid input", "new cursor position",
                  AddressField::First);
    ExpectRefused(CheckAddressInput(request, Input("100000000", "0")), "Invalid input",
                  "new cursor position", AddressField::First);
    ExpectRefused(CheckAddressInput(request, Input("0", "0x10")), "Invalid input",
                  "Stop address", AddressField::Second);
    // The first field's failure comes before the second one's.
    ExpectRefused(CheckAddressInput(request, Input("x", "y")), "Invalid input",
                  "new cursor position", AddressField::First);
}

TEST(AddressCheck, LimitsApplyToBothAddressesAndToTheRangeASizeGives)
{
    FillRequest request = FillSelection();
    ExpectRefused(CheckAddressInput(request, Input("1ff", "3ff")), "Value too small (at least 200 hex)",
                  "Start address", AddressField::First);
    ExpectRefused(CheckAddressInput(request, Input("200", "400")), "Value too large (at most 3FF hex)",
                  "Stop address", AddressField::Second);
    ExpectRefused(CheckAddressInput(request, Input("200", "1ff")), "Value too small (at least 200 hex)",
                  "Stop address", AddressField::Second);
    // A size is a count: 16 bytes from the window's start is no address below it.
    ExpectAccepted(CheckAddressInput(request, Input("200", "10", true)), 0x200, 0x20F);
    ExpectAccepted(CheckAddressInput(request, Input("200", "200", true)), 0x200, 0x3FF);
}

TEST(AddressCheck, RangeThatEndsBeforeItStarts)
{
    AddressRequest request;
    ExpectRefused(CheckAddressInput(request, Input("100", "0", true)), "Negative range", "error",
                  AddressField::Second);
    ExpectRefused(CheckAddressInput(request, Input("100", "ff")), "Negative range", "error",
                  AddressField::Second);
}

TEST(AddressCheck, SizeThatRunsPastTheUpperLimitIsTooLarge)
{
    AddressRequest request;
    ExpectRefused(CheckAddressInput(request, Input("ffffff00", "1000", true)), "Value too large (at most FFFFFFFF hex)",
                  "Stop address", AddressField::Second);
    ExpectRefused(CheckAddressInput(request, Input("2", "ffffffff", true)), "Value too large (at most FFFFFFFF hex)",
                  "Stop address", AddressField::Second);

    FillRequest fill = FillSelection();
    ExpectRefused(CheckAddressInput(fill, Input("200", "201", true)), "Value too large (at most 3FF hex)",
                  "Stop address", AddressField::Second);

    // Values at the top of the space must not overflow the sum.
    ExpectRefused(CheckAddressInput(request, Input("ffffffff", "ffffffff", true)),
                  "Value too large (at most FFFFFFFF hex)", "Stop address", AddressField::Second);
}

TEST(AddressCheck, HiddenFieldsKeepTheRequestsValues)
{
    AddressRequest position;
    position.title = "Postition cursor at following address";
    position.startLabel = "new cursor position";
    position.start = 0x1234;
    position.lastShown = 0;
    // Whatever a hidden edit holds, and even "Value is size", changes nothing.
    ExpectAccepted(CheckAddressInput(position, Input("20", "junk", true)), 0x20, 0);
    ExpectAccepted(CheckAddressInput(position, InitialAddressInput(position)), 0x1234, 0);

    // A hidden value outside the limits cannot block the dialog.
    position.lowerLimit = 0x10;
    ExpectAccepted(CheckAddressInput(position, Input("20", "")), 0x20, 0);

    AddressRequest lastOnly;
    lastOnly.startShown = 0;
    lastOnly.start = 0x100;
    ExpectAccepted(CheckAddressInput(lastOnly, Input("junk", "10", true)), 0x100, 0x10F);
}

TEST(FillCheck, ReadsTheFillValueInEachMode)
{
    FillRequest request = FillSelection();
    AddressInput input = InitialFillInput(request);

    input.fill = "41";
    input.fillMode = FillMode::Ascii;
    AddressCheck check = CheckFillInput(request, input);
    ExpectAccepted(check, 0x200, 0x3FF);
    EXPECT_EQ(check.fillValue, 0x34);

    input.fill = "";
    EXPECT_EQ(CheckFillInput(request, input).fillValue, 0);

    input.fill = "255";
    input.fillMode = FillMode::Dec;
    EXPECT_EQ(CheckFillInput(request, input).fillValue, 255);

    input.fill = "A5";
    input.fillMode = FillMode::Hex;
    EXPECT_EQ(CheckFillInput(request, input).fillValue, 0xA5);

    StoreFillCheck(request, CheckFillInput(request, input));
    EXPECT_EQ(request.fillValue, 0xA5);
}

TEST(FillCheck, RefusesValuesThatAreNotOneByte)
{
    FillRequest request = FillSelection();
    AddressInput input = InitialFillInput(request);
    const struct {
        const char* text;
        FillMode mode;
    } bad[] = {{"FF", FillMode::Dec}, {"256", FillMode::Dec}, {"-1", FillMode::Dec},
               {"100", FillMode::Hex}, {" f", FillMode::Hex}, {"0x1", FillMode::Hex},
               {"\x80", FillMode::Ascii}, {"\xC3\xA9", FillMode::Ascii},
               {"\xFF", FillMode::Ascii}};
    for (const auto& b : bad) {
        input.fill = b.text;
        input.fillMode = b.mode;
        ExpectRefused(CheckFillInput(request, input), "Invalid input", "Fill value",
                      AddressField::Fill);
    }
}

TEST(FillCheck, FillValueIsCheckedBeforeTheAddresses)
{
    FillRequest request = FillSelection();
    AddressInput input = Input("1ff", "3ff");
    input.fill = "zz";
    ExpectRefused(CheckFillInput(request, input), "Invalid input", "Fill value",
                  AddressField::Fill);
    input.fill = "ff";
    ExpectRefused(CheckFillInput(request, input), "Value too small (at least 200 hex)", "Start address",
                  AddressField::First);
}

TEST(AddressCheck, StoringWritesOnlyStartAndLast)
{
    AddressRequest request;
    request.title = "Resize buffer";
    StoreAddressCheck(request, CheckAddressInput(request, Input("10", "20", true)));
    EXPECT_EQ(request.start, 0x10);
    EXPECT_EQ(request.last, 0x2F);
    EXPECT_EQ(request.title, "Resize buffer");
    EXPECT_EQ(request.upperLimit, 0xFFFFFFFF);
}
