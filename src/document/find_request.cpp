#include "document/find_request.h"

#include "settings/hex_digit.h"

int32_t HexToBytes(std::string_view text, uint8_t* pattern, int32_t capacity)
{
    int32_t count = 0;
    for (size_t i = 0; i < text.size(); i += 2) {
        if (i + 1 >= text.size() || count >= capacity)
            return -1;
        const int high = HexDigitValue(text[i]);
        const int low = HexDigitValue(text[i + 1]);
        if (high < 0 || low < 0)
            return -1;
        pattern[count++] = uint8_t(high << 4 | low);
    }
    return count;
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
