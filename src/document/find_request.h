#pragma once
// The search settings of the Find dialog and the Next command: what was
// typed, the direction, the word and case rules, the mode, and the bytes that
// are searched for. The client window keeps one for the program's whole run,
// so a reopened dialog shows the last settings and Next repeats the last
// search in whichever view is active.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct FindRequest {
    // Characters the dialog's edit takes; hex text thus makes at most 127 bytes.
    static constexpr int32_t TextLimit = 254;
    // Room for the pattern's bytes and the zero after them.
    static constexpr int32_t PatternCapacity = 255;

    // As typed, one byte per character in the Western Windows page (the
    // page the view shows bytes in), so in ASCII mode these are the bytes
    // searched for.
    std::string text;
    bool up = false;
    bool down = true;
    bool wholeWords = false;
    bool matchCase = false;
    bool ascii = true;
    bool hex = false;
    // In hex mode the bytes parsed from the text, with a zero after the last.
    std::array<uint8_t, PatternCapacity> pattern{};
    // Bytes searched for; below 1 when the last text was not valid.
    int32_t length = 0;

    // The bytes the search compares: the parsed bytes or the text itself.
    const uint8_t* Bytes() const
    {
        return hex ? pattern.data() : reinterpret_cast<const uint8_t*>(text.data());
    }
};

inline constexpr const char* InvalidHexText = "Invalid hex string";
inline constexpr const char* CantFindCaption = "Can't find";

// Turns pairs of hex digits (either case) into bytes, the first digit of a
// pair being the high half; blanks and tabs may stand between pairs. -1 for
// anything else: a blank inside a pair, another separator, a non-digit, an
// odd number of digits, or more than `capacity` bytes.
int32_t HexToBytes(std::string_view text, uint8_t* pattern, int32_t capacity);

// Sets the request's length from its text and mode (parsing hex text into
// the pattern); false when there is nothing valid to search for, as with
// empty text, bad hex or text longer than the edit takes.
bool PrepareFindPattern(FindRequest& request);

// The bytes Replace writes for `with`, read in the request's mode (hex pairs
// or the text's own bytes), into `bytes`. The request must be prepared.
// False, with the reason in `problem`, when the text is not valid or its
// length differs from the pattern's: a replacement never moves bytes.
bool PrepareReplacement(const FindRequest& request, std::string_view with, std::vector<uint8_t>& bytes,
                        std::string& problem);

// The status-bar text after Replace all.
std::string ReplacedText(int64_t count);
