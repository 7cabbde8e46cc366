#pragma once
// How dravel-conv says what went wrong: one line on standard error after
// "dravel-conv: ", with control characters shown as \xNN, so that no file
// name or file content can move the cursor or change the terminal's colours.

#include <string>
#include <string_view>

// `text` with control characters as \xNN (line feeds kept when asked).
std::string Quoted(std::string_view text, bool keepLineFeeds = false);

// Prints "dravel-conv: " and the printf-formatted text, quoted, as one line.
void ReportProblem(const char* format, ...) __attribute__((format(printf, 1, 2)));
