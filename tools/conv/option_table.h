#pragma once
// dravel-conv's options, one row each: the one list that --help prints, the
// parser checks names against, and the tests hold the manual page and the
// completion to. A new option is a new row here plus its parsing.

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

struct ConvOptionRow {
    const char* name;      // "--fill"
    const char* shortName; // "-v", or null
    const char* argument;  // "BYTE[:FIRST-LAST]", or null for an option without a value
    const char* help;      // lines of at most 58 characters, "\n" between them
};

const std::vector<ConvOptionRow>& ConvOptionTable();
// The row of a long or short name; null when none.
const ConvOptionRow* FindConvOption(std::string_view name);

// The whole --help text and the --version text.
void PrintConvHelp(FILE* to);
void PrintConvVersion(FILE* to);

// The arguments as the parser reads them: "--name=value" split in two, every
// option name checked against the table and given its value. Returns the
// problem of a wrong one ("unrecognized option '--x'"), empty when all fit.
std::string NormaliseConvArguments(int argc, const char* const* argv, std::vector<std::string>& out);
