#include "dialogs/device_sizes.h"

#include "dialogs/number_parser.h"

#include <algorithm>
#include <cstdio>

const std::vector<DeviceSize>& DeviceSizes()
{
    constexpr Address KiB = 1024;
    constexpr Address MiB = 1024 * KiB;
    static const std::vector<DeviceSize> sizes{
        {"2716 (2 KiB)", 2 * KiB},       {"2732 (4 KiB)", 4 * KiB},       {"2764 (8 KiB)", 8 * KiB},
        {"27128 (16 KiB)", 16 * KiB},    {"27256 (32 KiB)", 32 * KiB},    {"27512 (64 KiB)", 64 * KiB},
        {"27C010 (128 KiB)", 128 * KiB}, {"27C020 (256 KiB)", 256 * KiB}, {"27C040 (512 KiB)", 512 * KiB},
        {"27C080 (1 MiB)", 1 * MiB},     {"27C160 (2 MiB)", 2 * MiB},     {"27C322 (4 MiB)", 4 * MiB},
        {"25x64 flash (8 MiB)", 8 * MiB}, {"25x128 flash (16 MiB)", 16 * MiB},
        {"25x256 flash (32 MiB)", 32 * MiB}, {"25x512 flash (64 MiB)", 64 * MiB},
    };
    return sizes;
}

bool OffersDeviceSizes(const AddressRequest& request)
{
    return request.title == NewBufferTitle || request.title == "Resize buffer";
}

std::string DeviceLastText(std::string_view startText, bool startHex, Address size, bool lastHex)
{
    const Address start = ParseNumber(startText, startHex ? 16 : 10);
    if (start < 0)
        return {};
    // A device that would run past the space ends with it.
    const Address last = std::min(start + size - 1, kLargestNumber);
    char text[24];
    std::snprintf(text, sizeof text, lastHex ? "%llx" : "%lld", static_cast<long long>(last));
    return text;
}

int DeviceForRange(std::string_view startText, bool startHex, std::string_view secondText, bool secondHex,
                   bool secondIsAddress)
{
    const Address start = ParseNumber(startText, startHex ? 16 : 10);
    const Address second = ParseNumber(secondText, secondHex ? 16 : 10);
    if (start < 0 || second < 0)
        return -1;
    const Address size = secondIsAddress ? second - start + 1 : second;
    const std::vector<DeviceSize>& devices = DeviceSizes();
    for (size_t i = 0; i < devices.size(); ++i)
        if (devices[i].size == size)
            return int(i);
    return -1;
}
