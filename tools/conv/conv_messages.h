#pragma once
// How dravel-conv says what went wrong: one line on standard error after
// "dravel-conv: ", with control characters shown as \xNN, so that no file
// name or file content can move the cursor or change the terminal's colours.

#include "settings/ansi_chars.h"

#include <string>
#include <string_view>

// Prints "dravel-conv: " and the printf-formatted text, quoted, as one line.
void ReportProblem(const char* format, ...) __attribute__((format(printf, 1, 2)));
