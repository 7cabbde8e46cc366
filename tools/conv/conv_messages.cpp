#include "conv_messages.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

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
