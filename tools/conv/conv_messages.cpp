#include "conv_messages.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

std::string Quoted(std::string_view text, bool keepLineFeeds)
{
    std::string shown;
    for (unsigned char c : text) {
        if ((c < 0x20 && !(keepLineFeeds && c == '\n')) || c == 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            shown += hex;
        } else {
            shown += static_cast<char>(c);
        }
    }
    return shown;
}

void ReportProblem(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::vector<char> text(static_cast<size_t>(length > 0 ? length : 0) + 1);
    std::vsnprintf(text.data(), text.size(), format, again);
    va_end(again);
    std::fprintf(stderr, "dravel-conv: %s\n", Quoted(text.data()).c_str());
}
