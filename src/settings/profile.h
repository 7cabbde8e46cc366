#pragma once
// Access to one ini file with the semantics the program relies on: section
// and key names compare without regard to case, a missing key gives the
// caller's default, and writing a key keeps every other line of the file and
// replaces the file atomically. Nothing is cached: every call reads the file.

#include <cstdint>
#include <string>
#include <string_view>

class OProfile {
public:
    explicit OProfile(std::string path);

    const std::string& Path() const { return path_; }

    // The key's value as a decimal integer (leading blanks, an optional
    // sign, digits; 0 when it holds no number); `def` when the key is missing.
    int32_t GetInt(std::string_view section, std::string_view key, int32_t def) const;
    // The key's value without surrounding blanks (and without one pair of
    // surrounding double quotes); `def` when the key is missing.
    std::string GetString(std::string_view section, std::string_view key,
                          std::string_view def = {}) const;
    // True when the key is present in the section.
    bool HasKey(std::string_view section, std::string_view key) const;

    // Sets the key, adding the section or key when missing. False when the
    // file could not be written: the old file then stays as it was, the
    // failure is reported once (settings/settings_file.h), and reads through
    // any OProfile on the same path give the new value for the rest of the
    // session. A file that exists but cannot be read is never replaced.
    bool WriteString(std::string_view section, std::string_view key, std::string_view value);
    bool WriteInt(std::string_view section, std::string_view key, int32_t value);
    // Removes the key; true when the file is as asked afterwards.
    bool DeleteKey(std::string_view section, std::string_view key);

private:
    bool Write(std::string_view section, std::string_view key, std::string_view value);

    std::string path_;
};
