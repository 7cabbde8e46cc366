#include "app/binary_size.h"

#include <cstdio>

std::string BinarySizeText(Address end)
{
    const Address size = BinaryImageSize(end);
    char text[96];
    std::snprintf(text, sizeof text, "%lld bytes (from %08llx to %08llx)", static_cast<long long>(size), 0ULL,
                  static_cast<unsigned long long>(size > 0 ? size - 1 : 0));
    return text;
}

std::string BinarySaveQuestion(Address end)
{
    return "The binary file will hold " + BinarySizeText(end) + ". Save it?";
}
