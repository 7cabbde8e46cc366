#pragma once
// The chips a new image is usually made for: EPROM sizes from the 2716 to
// the 27C322 and 25-series SPI flash, offered by File New and Resize buffer
// beside their address fields to fill in the last address.

#include "buffer/address.h"
#include "document/address_request.h"

#include <string>
#include <string_view>
#include <vector>

struct DeviceSize {
    const char* name;
    Address size;
};

// Smallest first.
const std::vector<DeviceSize>& DeviceSizes();

// Control id and help context of the drop-down in the address dialog.
inline constexpr int DeviceSizeBox = 423;
inline constexpr int DeviceSizeHelp = 3200;

// File New's prompt and Resize buffer offer the device sizes.
bool OffersDeviceSizes(const AddressRequest& request);

// The last address of a device of `size` bytes from the start typed in
// `startText` (hex or decimal as `startHex` says), in the radix of
// `lastHex`; empty when the start is no number.
std::string DeviceLastText(std::string_view startText, bool startHex, Address size, bool lastHex);

// The device whose size the typed range has: `secondText` is the last
// address or the size (`secondIsAddress`); the index in DeviceSizes(), or
// -1 when the fields are no numbers or no device has that size.
int DeviceForRange(std::string_view startText, bool startHex, std::string_view secondText, bool secondHex,
                   bool secondIsAddress);
