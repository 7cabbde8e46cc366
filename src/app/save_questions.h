#pragma once
// The two questions Save asks before it replaces a file: whether to keep the
// format the content was read in when the document's file type writes
// another one, and whether to replace a file that was not read completely.
// Only the texts and the decisions live here; the editor shows the boxes.

#include "formats/file_format.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// What a format is called in the format question ("Intel HEX", "plain hex
// image", "raw binary").
std::string SaveFormatName(FileFormat format);

// The format key that writes `format` ("s3f", "ext", ...; "bin" for binary).
std::string KeyForFormat(FileFormat format);

struct FormatQuestion {
    std::string text;
    std::string keepButton;     // "Keep Intel HEX": the default
    std::string convertButton;  // "Save as plain hex image"
    std::string keepKey;        // the format key that keeps the read format
};

// The question before saving a document titled `title` whose content was
// read as `readFormat` and that `saveKey` would write; none when both are
// the same format or nothing was read.
std::optional<FormatQuestion> AskFormatBeforeSave(std::string_view title, FileFormat readFormat,
                                                  std::string_view saveKey);

// The first error that ended a load ("Format Error", "Read Error" or
// "Checksum Error"), the line it was found on (0: none), the bytes read
// before it and why it stopped (empty: not known).
struct IncompleteLoad {
    std::string error;
    uint32_t line = 0;
    int64_t bytesRead = 0;
    std::string reason;
};

// True for the report texts of errors that stop a load (not an insert's).
bool EndsLoad(std::string_view reportText);

// "FILE was not read completely (Format Error at line N: REASON). Saving replaces it
// with the N bytes that were read. Save anyway?"
std::string IncompleteLoadQuestion(std::string_view title, const IncompleteLoad& load);
