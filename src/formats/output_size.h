#pragma once
// Outputs whose size follows the address span rather than the data: binary
// and plain hex images start at address 0 whatever the window's start and
// fill every gap, so a window ending high makes a large file of mostly
// erased bytes; each lane of a split is such an image of its own. The
// editor's Save, every output of dravel-conv and its -v report all measure
// them here, so the faces cannot drift apart.

#include "buffer/address.h"
#include "formats/file_format.h"

#include <string>
#include <string_view>

// The editor asks before writing such a file holding more bytes than this.
inline constexpr Address kAskOutputAbove = Address{16} << 20;
// dravel-conv writes one holding more than this only with --force.
inline constexpr Address kForceOutputAbove = Address{256} << 20;

// Binary and plain hex; an unknown key (All files) writes binary.
bool SizeFollowsSpan(FileFormat format);

// Bytes an image whose last byte is at `end` - 1 holds.
inline Address ImageSize(Address end) { return end > 0 ? end : 0; }

// "N bytes (from 00000000 to LAST)": N in decimal, the addresses in eight
// lower-case hex digits as the information panel shows them.
std::string ImageSizeText(Address end);

// "NAME would hold N bytes (from 00000000 to LAST); use --force" when an
// output of `format` named `name` whose last byte is at `end` - 1 holds more
// than kForceOutputAbove bytes; empty otherwise.
std::string OutputSizeProblem(std::string_view name, FileFormat format, Address end);

// "The binary file will hold N bytes (from 00000000 to LAST). Save it?" (or
// "The plain hex file ..."), when a save of `format` holds more than
// kAskOutputAbove bytes; empty when no question is needed.
std::string SaveSizeQuestion(FileFormat format, Address end);
