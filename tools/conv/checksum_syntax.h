#pragma once
// dravel-conv's spelling of a checksum: "ALG[:FIRST-LAST]" for --checksum
// and "ALG:ADDR[:FIRST-LAST][:le|be]" for --checksum-write. The editor's
// dialog has fields of its own; only the converter reads this syntax.

#include "document/checksum_plan.h"

#include <string>
#include <string_view>

// Reads `text` into `plan` (`write` for --checksum-write). The range stays
// kNoAddress when not given. Returns the problem, empty when it is right.
std::string ParseChecksumOption(std::string_view text, bool write, ChecksumPlan& plan);
