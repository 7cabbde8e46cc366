// What the checksum and address dialogs show beside what the user typed.

#include "dialogs/checksum_form.h"
#include "dialogs/device_sizes.h"
#include "support/recording_host.h"

#include <gtest/gtest.h>

TEST(ChecksumForm, ShowsTheAlgorithmsOwnParametersTheExtentAndNoStaleWriteTick)
{
    const struct {
        const char *algorithm, *poly;
        int width;
    } cases[] = {{"crc32", "04c11db7", 32}, {"CRC-16/XMODEM", "1021", 16}, {"sum32/neg", "", 32},
                 {kCustomChecksumText, "8005", 16}};  // Custom keeps what was typed
    for (const auto& c : cases) {
        ChecksumForm form;
        form.algorithm = c.algorithm;
        form.poly = "8005";
        ShowAlgorithmParameters(form);
        EXPECT_EQ(form.poly + "/" + std::to_string(form.width), c.poly + ("/" + std::to_string(c.width)));
    }

    AddressSet data;
    data.Add(0x100, 0x1FF);
    data.Add(0x300, 0x300);
    EXPECT_EQ(ChecksumExtentText(0, 0xFFFFFFFF, data), "4294967296 bytes (257 written, gaps count as FF)");
    EXPECT_EQ(ChecksumExtentText(0x300, 0x300, data), "1 byte (1 written, gaps count as FF)");

    TempDir dir;
    ChecksumForm used;
    used.write = true;
    used.writeAt = "7ffc";
    ASSERT_TRUE(SaveChecksumForm(dir.File("dravel.ini"), used));
    const ChecksumForm next = LoadChecksumForm(dir.File("dravel.ini"));
    EXPECT_FALSE(next.write);
    EXPECT_EQ(next.writeAt, "7ffc");
}

TEST(DeviceSizes, TheDeviceFollowsTheTypedRange)
{
    const auto index = [](const char* name) {
        for (size_t i = 0; i < DeviceSizes().size(); ++i)
            if (std::string(DeviceSizes()[i].name).find(name) == 0)
                return int(i);
        return -2;
    };
    const struct {
        const char *start, *second;
        bool hex, isAddress;
        int device;
    } cases[] = {
        {"0", "ffff", true, true, index("27512")}, {"8000", "ffff", true, true, index("27256")},
        {"0", "65536", false, false, index("27512")}, {"0", "1234", true, true, -1}};
    for (const auto& c : cases)
        EXPECT_EQ(DeviceForRange(c.start, c.hex, c.second, c.hex, c.isAddress), c.device) << c.start << " " << c.second;
}
