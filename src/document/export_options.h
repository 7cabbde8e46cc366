#pragma once
// What a save in one of the formats for other tools needs to know of the
// whole image before its first line: the C array's name and whether the
// image is one range, the memory depth of an Intel MIF file.

#include "document/buffer_document.h"
#include "formats/file_format.h"

#include <string>
#include <string_view>

// Fills `options` for saving `document` to `path` in `format`; `nameStorage`
// keeps the array name the options point to. Returns what to tell the user
// (the array name that had to be made a C identifier), empty when nothing.
std::string PrepareExport(OBufferDocument& document, FileFormat format, std::string_view path,
                          WriterOptions& options, std::string& nameStorage);
