#pragma once
// dravel-conv's --checksum and --checksum-write: checksums printed as
// "NAME FIRST-LAST VALUE" lines and results written into the output.

#include "conv_options.h"

#include <cstdio>
#include <string>
#include <string_view>

class OBufferDocument;

// Takes one --checksum or --checksum-write value into `options`; the
// problem of a wrong one, empty when it is right.
std::string AddChecksumOption(std::string_view option, std::string_view value, ConvOptions& options);

// The catalogue's names with their check values, one a line.
void PrintChecksumList(FILE* to);

// Writes every --checksum-write result into the document in the order
// given, then prints every --checksum line to `lines`. Problems go to
// standard error and give 2 (nothing is written then); otherwise 0.
int RunChecksumOptions(OBufferDocument& document, const ConvOptions& options, FILE* lines);
