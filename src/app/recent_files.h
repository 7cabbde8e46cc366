#pragma once
// The recent-files list: at most a few paths, newest first, kept in section
// "MRU" of the settings file as "Count" and "MRU0", "MRU1", ...

#include <string>
#include <vector>

// Puts path first and drops an equal entry (compared without regard to
// letter case) and whatever falls beyond capacity.
void AddRecentFile(std::vector<std::string>& entries, const std::string& path, size_t capacity);

class TRecentFiles {
public:
    TRecentFiles(std::string iniPath, size_t capacity);

    // Re-reads the list from the settings file; entries that are missing or
    // empty are left out, a damaged "Count" is read as the capacity.
    void Read();
    const std::vector<std::string>& Entries() const { return entries; }
    // Adds a path and writes the list back.
    void Add(const std::string& path);
    size_t Capacity() const { return capacity; }

private:
    void write() const;

    std::string iniPath;
    size_t capacity;
    std::vector<std::string> entries;
};
