#pragma once
// Reading and writing the settings file and the font file as wholes. Neither
// may hang the program or lose what the user had: a name that is no regular
// file (a pipe, a device, a folder) reads as absent without blocking, a file
// that exists but cannot be read is never replaced, and a write that fails
// says so once per file while the running session keeps the new values.

#include <functional>
#include <string>
#include <string_view>

namespace settings {

enum class FileState {
    Missing,   // no file by that name: reads give the defaults, a write creates it
    Read,      // read whole into the text
    Unusable,  // there but not readable as a regular file: never replaced
};

// Reads the file at `path` into `text`; `reason` gets why an unusable file
// is unusable.
FileState ReadSettingsFile(const std::string& path, std::string& text, std::string* reason = nullptr);

// Replaces the file at `path` with `bytes` unless it is there but unusable.
// A failure is reported (once per path) and false returned.
bool WriteSettingsFile(const std::string& path, std::string_view bytes);

// Receives "Cannot save settings to PATH: REASON" the first time a write to
// PATH fails. The default prints it to standard error; an empty handler
// restores the default.
using WriteFailureHandler = std::function<void(const std::string& message)>;
void SetWriteFailureHandler(WriteFailureHandler handler);
void ReportWriteFailure(const std::string& path, const std::string& reason);

}  // namespace settings
