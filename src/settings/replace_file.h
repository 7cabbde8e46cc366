#pragma once
// Writing a settings file as a whole: to a temporary file beside it, renamed
// over it, so a failure never leaves a half-written file behind.

#include <string>
#include <string_view>

namespace settings {

// Replaces the file at `path` with `bytes`, keeping its permissions, and
// creates the folders leading to it when they are missing (a first write to
// the user's configuration folder). False, and the old file untouched, when
// anything fails.
bool ReplaceFile(const std::string& path, std::string_view bytes);

}  // namespace settings
