#pragma once
// The checksum dialog's fields as the user left them, remembered in section
// "Checksum" of the settings file, and what they ask for: the problem to
// show, or a plan the document can carry out.

#include "buffer/address.h"
#include "buffer/address_set.h"
#include "document/checksum_plan.h"

#include <string>

inline constexpr const char* kChecksumSection = "Checksum";
inline constexpr const char* kCustomChecksumText = "Custom\xE2\x80\xA6";

struct ChecksumForm {
    enum Range { RangeSelection = 0, RangeWindow = 1, RangeAddresses = 2 };

    // A catalogue name, or kCustomChecksumText for the six parameters below.
    std::string algorithm = "crc32";
    int width = 16;
    std::string poly = "1021";
    std::string init = "ffff";
    bool refin = false;
    bool refout = false;
    std::string xorout = "0";
    int range = RangeWindow;
    // Hexadecimal texts as typed.
    std::string first;
    std::string last;
    // Starts unticked in every dialog; only the address is remembered.
    bool write = false;
    std::string writeAt;
    bool bigEndian = false;
};

ChecksumForm LoadChecksumForm(const std::string& settingsPath);
// False when the settings file could not be written.
bool SaveChecksumForm(const std::string& settingsPath, const ChecksumForm& form);

// The plan the form asks for over a window start..end-1 with the selection
// selStart..selEnd (none when selStart > selEnd); the problem when it asks
// for something wrong, empty otherwise. `notice` receives what is allowed
// but worth saying (kWrittenInsideRangeText), else is cleared.
std::string EvaluateChecksumForm(const ChecksumForm& form, Address start, Address end, Address selStart,
                                 Address selEnd, ChecksumPlan& plan, std::string& notice);

// "cbf43926 hex   3421780262 dec"
std::string ChecksumResultText(uint32_t value, int width);

// Puts the named algorithm's own parameters into the form's CRC fields, for
// the greyed box to show (width only for sums); Custom keeps what is typed.
void ShowAlgorithmParameters(ChecksumForm& form);

// "46013440 bytes (5212 written, gaps count as FF)": how many bytes
// first..last takes in and how many of them hold data.
std::string ChecksumExtentText(Address first, Address last, const AddressSet& data);
