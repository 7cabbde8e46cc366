#include "document/find_request.h"

#include "settings/hex_digit.h"

#include <algorithm>

int32_t HexToBytes(std::string_view text, uint8_t* pattern, int32_t capacity)
{
    int32_t count = 0;
    for (size_t i = 0;; i += 2) {
        // Blanks may part the pairs, as in the hex text Copy as hex text makes.
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
            ++i;
        if (i >= text.size())
            return count;
        if (i + 1 >= text.size() || count >= capacity)
            return -1;
        const int high = HexDigitValue(text[i]);
        const int low = HexDigitValue(text[i + 1]);
        if (high < 0 || low < 0)
            return -1;
        pattern[count++] = uint8_t(high << 4 | low);
    }
}

bool PrepareFindPattern(FindRequest& request)
{
    if (request.text.size() > size_t(FindRequest::TextLimit)) {
        request.length = -1;
        return false;
    }
    if (request.hex) {
        request.length = HexToBytes(request.text, request.pattern.data(), FindRequest::PatternCapacity - 1);
        if (request.length >= 0)
            request.pattern[size_t(request.length)] = 0;
    } else {
        request.length = int32_t(request.text.size());
    }
    return request.length >= 1;
}

bool PrepareReplacement(const FindRequest& request, std::string_view with, std::vector<uint8_t>& bytes,
                        std::string& problem)
{
    bytes.assign(FindRequest::PatternCapacity, 0);
    int32_t length = int32_t(with.size());
    if (request.hex)
        length = HexToBytes(with, bytes.data(), FindRequest::PatternCapacity - 1);
    else
        std::copy(with.begin(), with.begin() + std::min<size_t>(with.size(), bytes.size()), bytes.begin());
    if (length < 0) {
        problem = InvalidHexText;
        return false;
    }
    if (length != request.length) {
        problem = "The replacement must be as long as what it replaces: " + std::to_string(request.length) +
                  (request.length == 1 ? " byte" : " bytes") + ", not " + std::to_string(length) + ".";
        return false;
    }
    bytes.resize(size_t(length));
    return true;
}

std::string ReplacedText(int64_t count)
{
    return std::to_string(count) + (count == 1 ? " match replaced" : " matches replaced");
}
