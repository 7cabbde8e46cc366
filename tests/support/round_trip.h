#pragma once
// The whole path from a file's bytes to saved files and back, as the fuzz
// target and the corpus replay run it.

#include <cstddef>
#include <cstdint>
#include <string>

// Loads `data` through a document (its first byte picks the template, the
// rest is the file, recognition included), saves the window in every format
// and loads each result again. A save may report only a 16-bit format given
// a window beyond its range; whatever it did not report must load again
// without a report, as the same bytes at the same addresses (the image
// formats start at address 0). Files go to `folder`. Returns what went
// wrong, or "".
std::string WholePathRoundTrip(const uint8_t* data, size_t size, const std::string& folder);
