// The device box fills in the last address from the typed start anywhere in
// the 32-bit space.

#include "dialogs/device_sizes.h"

#include <gtest/gtest.h>

TEST(DeviceSizes, LastAddressFromTheStart)
{
    struct Case {
        const char* start;
        bool startHex;
        Address size;
        bool lastHex;
        const char* last;
    };
    const Case cases[] = {
        {"100", true, 0x800, true, "8ff"},
        {"256", false, 0x800, false, "2303"},
        {"80000000", true, 0x10000, true, "8000ffff"},
        {"fffff000", true, 0x800, true, "fffff7ff"},
        {"ffffff00", true, 0x800, true, "ffffffff"},
        {"4294967295", false, 0x800, false, "4294967295"},
        {"x1", true, 0x800, true, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DeviceLastText(c.start, c.startHex, c.size, c.lastHex), c.last) << c.start;
}
