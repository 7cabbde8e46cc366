#pragma once
// Reading and writing the settings file and the font file as wholes. Neither
// may hang the program or lose what the user had: a name that is no regular
// file (a pipe, a device, a folder) reads as absent without blocking, a file
// that exists but cannot be read is never replaced, and a write that fails
// says so once per file while the running session keeps the new values.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace settings {

// The most either file can hold when the program wrote it, with room for a
// user's comments: anything larger is something else that took the name (a
// disk image, a log), and reading it whole would hold the start up.
inline constexpr size_t kIniFileLimit = size_t{1} << 20;
inline constexpr size_t kFontFileLimit = size_t{4} << 10;

enum class FileState {
    Missing,   // no file by that name: reads give the defaults, a write creates it
    Read,      // read whole into the text
    Unusable,  // there but not readable as a regular file: never replaced
    TooLarge,  // a regular file larger than the limit: not read, never replaced
};

// Reads the file at `path` into `text` unless it holds more than `limit`
// bytes; `reason` gets why an unusable file is unusable.
FileState ReadSettingsFile(const std::string& path, std::string& text, std::string* reason = nullptr,
                           size_t limit = kIniFileLimit);

// Replaces the file at `path` with `bytes` unless it is there but unusable
// or larger than `limit`. A failure is reported (once per path) and false
// returned.
bool WriteSettingsFile(const std::string& path, std::string_view bytes, size_t limit = kIniFileLimit);

// Says "PATH is larger than 1 MiB and was not read" (the limit in KiB or
// MiB) through the handler below, unless something was said of PATH before.
void ReportTooLarge(const std::string& path, size_t limit);

// Receives "Cannot save settings to PATH: REASON" the first time a write to
// PATH fails, and ReportTooLarge's words. The default prints it to standard error; an empty handler
// restores the default.
using WriteFailureHandler = std::function<void(const std::string& message)>;
void SetWriteFailureHandler(WriteFailureHandler handler);
void ReportWriteFailure(const std::string& path, const std::string& reason);

}  // namespace settings
